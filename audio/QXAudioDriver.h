#pragma once
// The audio module: sounds (samples on channels), songs (tracker modules and
// MIDI files) and streams (any other sound file), all played by the sound
// engine. When the engine cannot start, the module still starts and every
// sound command answers 0 or does nothing, without a message.

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

#include "audio/engine/QXSoundEngine.h"
#include "runtime/QXModule.h"

// The object behind a sound handle.
class QXSound final : public QXResource {
public:
    explicit QXSound(QXEngineSample* sample);
    ~QXSound() override;

    QXEngineSample* sample;
    bool defaultsApplied = true;
    int frequency = 0;
    int volume = 0;
    int pan = 0;
    int priority = 0;
};

// A loaded song in its slot; the module's root owns it.
class QXSong final : public QXResource {
public:
    QXSong(int slot, QXEngineSong* song);
    ~QXSong() override;

    int slot;
    QXEngineSong* song;
};

class QXAudioDriver : public QXModule {
public:
    static constexpr int kSlots = 4096;
    static constexpr int kSlotMask = kSlots - 1;
    static constexpr int kSongBit = static_cast<int>(0x80000000u);

    using EngineFactory = std::unique_ptr<QXSoundEngine> (*)();

    QXAudioDriver();
    bool startup() override;
    void shutdown() override;

    // The engine the next start creates (tests swap in their own); returns the previous one.
    static EngineFactory setEngineFactory(EngineFactory factory);

    // The engine and its device start on first use, not with the module:
    // under Wine the device probes every sound back end, a cost a program
    // that plays nothing should not pay.
    bool initialised() {
        open();
        return initialised_;
    }
    QXSoundEngine* engine() {
        open();
        return engine_.get();
    }

    QXSound* loadSound(const char* file);
    int playSound(QXSound* sound, int flags);
    int playMusic(const char* file, int flags);
    void stopChannel(int channel);
    // The song a negative channel handle names, or null.
    QXSong* songOf(int channel) const;
    void forgetSong(QXSong* song);

private:
    int playSong(QXSong* song, int flags);
    int playStream(const char* file, int flags);
    void closeStreamAt(int channel);
    void clearState();
    void open() {
        if (!opened_ && state == 2) openEngine();
    }
    void openEngine();

    bool opened_ = false;
    std::unique_ptr<QXSoundEngine> engine_;
    bool initialised_ = false;
    std::array<QXSong*, kSlots> songSlots_{};
    std::array<QXEngineStream*, kSlots> streamSlots_{};
    std::unordered_map<std::string, QXSong*> songCache_;
};

extern QXAudioDriver theQXAudioDriver;

// The engine of this platform (output through its audio device).
std::unique_ptr<QXSoundEngine> createPlatformSoundEngine();
