// MIDI songs: the MCI command strings they send (over a recording channel,
// since Wine here has no MIDI device), looping kept up when the state is
// asked for, files that are not MIDI refused; and the real sequencer failing
// cleanly where there is no device.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "AudioTestSupport.h"
#include "audio/win32/Win32MidiSong.h"

using namespace audiotest;

namespace {
class RecordingMci final : public Win32MciChannel {
public:
    bool send(const std::string& command, std::string* reply) override {
        commands.push_back(command);
        if (reply) *reply = mode;
        return !(command.starts_with("open") && refuseOpen);
    }
    std::vector<std::string> take() { return std::exchange(commands, {}); }
    std::vector<std::string> commands;
    std::string mode = "playing";
    bool refuseOpen = false;
};

std::string midiFile(const char* name) {
    // A format-0 file with one empty track.
    const std::vector<std::uint8_t> bytes = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                             'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
    std::string path = tempPath(name);
    EXPECT_TRUE(writeFile(path, bytes));
    return path;
}
using Commands = std::vector<std::string>;
}  // namespace

TEST(AudioMidi, SongsDriveTheSequencerThroughMci) {
    RecordingMci mci;
    const std::string path = midiFile("qx_song.mid");
    auto song = Win32MidiSong::open(path.c_str(), mci);
    ASSERT_TRUE(song);
    Commands opened = mci.take();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].starts_with("open \"" + path + "\" type sequencer alias qxsong")) << opened[0];
    const std::string alias = opened[0].substr(opened[0].rfind(' ') + 1);

    EXPECT_TRUE(song->play());
    song->setPaused(true);
    song->setPaused(false);
    EXPECT_TRUE(song->isPlaying());
    mci.mode = "stopped";
    EXPECT_FALSE(song->isPlaying());  // ended, not looping
    EXPECT_EQ(mci.take(), (Commands{"play " + alias + " from 0", "pause " + alias, "play " + alias,
                                    "status " + alias + " mode", "status " + alias + " mode"}));
    EXPECT_FALSE(song->isPlaying());
    EXPECT_TRUE(mci.take().empty());  // known to have ended: no need to ask

    song->setLooping(true);
    song->play();
    EXPECT_TRUE(song->isPlaying());  // at its end it starts over
    EXPECT_EQ(mci.take(), (Commands{"play " + alias + " from 0", "status " + alias + " mode", "play " + alias + " from 0"}));
    song->stop();
    EXPECT_FALSE(song->isPlaying());
    song.reset();
    EXPECT_EQ(mci.take(), (Commands{"stop " + alias, "close " + alias}));
    std::remove(path.c_str());
}

TEST(AudioMidi, FilesThatAreNotMidiOrThatMciRefusesGiveNoSong) {
    RecordingMci mci;
    const std::string wav = tempPath("qx_not_midi.mid");
    ASSERT_TRUE(writeFile(wav, {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}));
    EXPECT_FALSE(Win32MidiSong::open(wav.c_str(), mci));
    EXPECT_FALSE(Win32MidiSong::open(tempPath("qx_no_such.mid").c_str(), mci));
    EXPECT_TRUE(mci.commands.empty());
    std::remove(wav.c_str());

    const std::string rmi = tempPath("qx_song.rmi");
    ASSERT_TRUE(writeFile(rmi, {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'R', 'M', 'I', 'D'}));
    mci.refuseOpen = true;
    EXPECT_FALSE(Win32MidiSong::open(rmi.c_str(), mci));
    EXPECT_EQ(mci.commands.size(), 1u);  // it was MIDI enough to try
    std::remove(rmi.c_str());
}

TEST(AudioMidi, TheSystemSequencerOpensOrRefusesCleanly) {
    // Wine here has no MIDI output: the open fails and the song is null.
    const std::string path = midiFile("qx_system.mid");
    auto song = Win32MidiSong::open(path.c_str(), winmmMci());
    if (song) {
        song->play();
        song->stop();
    }
    song.reset();
    std::remove(path.c_str());
}
