#pragma once
// MIDI and RMI songs through the system's MIDI sequencer, driven by MCI
// command strings. The sequencer plays on its own; looping is kept up when
// the song's state is asked for (ChannelPlaying, PlayMusic), since MCI tells
// of the end only by a window message.

#include <cstddef>
#include <memory>
#include <string>

#include "audio/engine/QXEngineSong.h"

// Where MCI command strings go (winmm, or a test double).
class Win32MciChannel {
public:
    virtual ~Win32MciChannel() = default;
    // False when MCI reports an error; `reply` takes MCI's answer.
    virtual bool send(const std::string& command, std::string* reply = nullptr) = 0;
};

// winmm's mciSendString.
Win32MciChannel& winmmMci();

// True for a Standard MIDI File ("MThd") or an RMI file (RIFF "RMID").
bool looksLikeMidi(const unsigned char* head, std::size_t size);

class Win32MidiSong final : public QXEngineSong {
public:
    // Opens the file in the sequencer; null when it is not MIDI or MCI refuses.
    static std::unique_ptr<QXEngineSong> open(const char* path, Win32MciChannel& mci);
    ~Win32MidiSong() override;
    Win32MidiSong(const Win32MidiSong&) = delete;
    Win32MidiSong& operator=(const Win32MidiSong&) = delete;

    bool play() override;
    void stop() override;
    void setLooping(bool looping) override { looping_ = looping; }
    void setPaused(bool paused) override;
    // The sequencer has no volume of its own; the value is kept, not applied.
    void setMasterVolume(int volume) override { volume_ = volume; }
    bool isPlaying() override;

private:
    Win32MidiSong(std::string alias, Win32MciChannel& mci) : alias_(std::move(alias)), mci_(mci) {}

    std::string alias_;
    Win32MciChannel& mci_;
    bool playing_ = false;
    bool looping_ = false;
    int volume_ = 256;
};

// The MIDI song loader for the engine (through winmm).
std::unique_ptr<QXEngineSong> loadMidiSong(const char* path, QXMixer& mixer);
