#pragma once
// The software mixer: a fixed set of channels, each playing a loaded sample
// or a stream with its own frequency (linear interpolation from the sound's
// rate to the mix rate), volume and pan, summed into 16-bit stereo with
// saturation instead of wrap-around.
//
// The program's thread calls the channel operations while the mixer thread
// calls render(); one lock guards the channels, held by render() for one
// block of at most kMixBlockFrames.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/engine/QXSoundSource.h"
#include "runtime/QXSpinLock.h"

constexpr int kLoopOff = 1;
constexpr int kLoopNormal = 2;
constexpr int kMixBlockFrames = 512;
constexpr int kMaxChannelFrequency = 1000000;

struct QXVoiceSettings {
    int frequency = 44100;
    int volume = 255;  // 0 to 255
    int pan = 128;     // 0 left, 255 right
    int priority = 128;
    int loopMode = kLoopOff;
};

// Gains as fractions of full scale for one channel; mono sounds go to both
// sides. Pan 0 and 255 silence the other side; 127 and 128 (the centre)
// keep both whole, and each side fades linearly towards the other end.
struct QXStereoGain {
    double left;
    double right;
};
QXStereoGain stereoGain(int volume, int pan);

class QXMixer {
public:
    QXMixer(int mixRate, int channelCount);
    QXMixer(const QXMixer&) = delete;
    QXMixer& operator=(const QXMixer&) = delete;

    int mixRate() const { return mixRate_; }
    int channelCount() const { return static_cast<int>(voices_.size()); }

    // Starts a sample on a free channel (the lowest first; when none is free,
    // the one of lowest priority below the new one's). A handle ≥ 0, or -1.
    int playSample(std::shared_ptr<const QXPcm> pcm, const QXVoiceSettings& settings, bool paused);
    // Starts a stream at its sound's own rate, full volume, centred. It plays
    // once, decoded on the mixer thread as it goes.
    int playStream(std::shared_ptr<QXSoundSource> source, bool paused);

    void stop(int handle);
    // Stops every channel playing `pcm` (before the sample is freed).
    void stopAllOf(const QXPcm* pcm);
    void stopAllOf(const QXSoundSource* source);
    void stopAll();
    void setPaused(int handle, bool paused);
    void setFrequency(int handle, int frequency);
    void setVolume(int handle, int volume);
    void setPan(int handle, int pan);
    // True while the channel plays or is paused; false once it ended or was stopped.
    bool isPlaying(int handle);

    // Mixes the next `frames` frames of interleaved stereo into `out`.
    void render(std::int16_t* out, int frames);

    // Handles name a channel (low 12 bits) and its use (higher bits), so a
    // stale handle never reaches a channel's later sound.
    static constexpr int kIndexBits = 12;

private:
    struct Voice {
        bool active = false;
        bool paused = false;
        std::uint32_t generation = 0;
        std::shared_ptr<const QXPcm> pcm;
        std::shared_ptr<QXSoundSource> source;
        // A stream's decoded frames: window[0] is frame windowStart.
        std::vector<std::int16_t> window;
        std::int64_t windowStart = 0;
        bool sourceEnded = false;
        int channels = 1;
        int soundRate = 44100;
        QXVoiceSettings settings;
        std::uint64_t position = 0;  // frames, 32.32 fixed point
    };

    static void clear(Voice& voice);
    Voice* voiceOf(int handle);
    int startVoice(int index);
    int freeVoiceFor(int priority) const;
    bool fillWindow(Voice& voice, std::int64_t lastFrame);
    void renderVoice(Voice& voice, std::int32_t* mix, int frames);

    const int mixRate_;
    QXSpinLock lock_;  // the program's thread against the mixer thread; no handle of its own
    std::vector<Voice> voices_;
    std::vector<std::int32_t> mix_;
};
