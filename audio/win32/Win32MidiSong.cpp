#include "audio/win32/Win32MidiSong.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "audio/engine/QXSoundSource.h"

namespace {
class WinmmMci final : public Win32MciChannel {
public:
    bool send(const std::string& command, std::string* reply) override {
        char answer[128] = {};
        const MCIERROR error = mciSendStringA(command.c_str(), answer, sizeof answer, nullptr);
        if (reply) *reply = answer;
        return error == 0;
    }
};

int nextAlias = 0;
}  // namespace

Win32MciChannel& winmmMci() {
    static WinmmMci mci;
    return mci;
}

bool looksLikeMidi(const unsigned char* head, std::size_t size) {
    if (size >= 4 && std::memcmp(head, "MThd", 4) == 0) return true;
    return size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "RMID", 4) == 0;
}

std::unique_ptr<QXEngineSong> Win32MidiSong::open(const char* path, Win32MciChannel& mci) {
    const std::vector<std::uint8_t> head = readFileHead(path, 12);
    if (!looksLikeMidi(head.data(), head.size())) return nullptr;
    // A quote would end the file name inside the command string.
    if (std::strchr(path, '"')) return nullptr;
    std::string alias = "qxsong" + std::to_string(++nextAlias);
    if (!mci.send("open \"" + std::string(path) + "\" type sequencer alias " + alias)) return nullptr;
    return std::unique_ptr<QXEngineSong>(new Win32MidiSong(std::move(alias), mci));
}

Win32MidiSong::~Win32MidiSong() { mci_.send("close " + alias_); }

bool Win32MidiSong::play() {
    playing_ = mci_.send("play " + alias_ + " from 0");
    return playing_;
}

void Win32MidiSong::stop() {
    mci_.send("stop " + alias_);
    playing_ = false;
}

void Win32MidiSong::setPaused(bool paused) {
    if (!playing_) return;
    // The sequencer resumes from where it paused on a plain "play".
    mci_.send((paused ? "pause " : "play ") + alias_);
}

bool Win32MidiSong::isPlaying() {
    if (!playing_) return false;
    std::string mode;
    if (!mci_.send("status " + alias_ + " mode", &mode)) return playing_ = false;
    if (mode == "playing" || mode == "paused") return true;
    if (looping_) return playing_ = mci_.send("play " + alias_ + " from 0");
    return playing_ = false;
}

std::unique_ptr<QXEngineSong> loadMidiSong(const char* path, QXMixer& /*mixer*/) {
    return Win32MidiSong::open(path, winmmMci());
}
