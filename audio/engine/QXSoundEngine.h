#pragma once
// The operations the audio layer drives the sound engine through. Every call
// comes from the program's thread. Samples, songs and streams are opaque to
// the caller; channel handles are ≥ 0 and their low 12 bits name a channel.

#include <cstdint>

class QXEngineSample;
class QXEngineSong;
class QXEngineStream;

struct QXSampleDefaults {
    int frequency = 44100;
    int volume = 255;  // 0 to 255
    int pan = 128;     // 0 to 255
    int priority = 128;
};

constexpr int kSampleLoopNormal = 2;

class QXSoundEngine {
public:
    virtual ~QXSoundEngine() = default;

    virtual bool engineInit(int mixRate, int channels, int flags) = 0;
    // Releases every sample, song and stream the engine still has.
    virtual void engineClose() = 0;

    // slot -1 (any), mode 0, offset 0 and length 0 load the whole file.
    virtual QXEngineSample* sampleLoad(int slot, const char* file, int mode, int offset, int length) = 0;
    virtual void sampleFree(QXEngineSample* sample) = 0;
    virtual QXSampleDefaults sampleGetDefaults(QXEngineSample* sample) = 0;
    virtual void sampleSetDefaults(QXEngineSample* sample, const QXSampleDefaults& defaults) = 0;
    virtual void sampleSetMode(QXEngineSample* sample, int mode) = 0;
    // channel -1 takes any free channel; a handle ≥ 0, or negative on failure.
    virtual int samplePlay(int channel, QXEngineSample* sample, bool paused) = 0;

    virtual void channelStop(int channel) = 0;
    virtual void channelSetPaused(int channel, bool paused) = 0;
    virtual void channelSetFrequency(int channel, int frequency) = 0;
    virtual void channelSetVolume(int channel, int volume) = 0;
    virtual void channelSetPan(int channel, int pan) = 0;
    virtual bool channelIsPlaying(int channel) = 0;

    virtual QXEngineSong* songLoad(const char* file) = 0;
    virtual void songFree(QXEngineSong* song) = 0;
    virtual bool songPlay(QXEngineSong* song) = 0;
    virtual void songStop(QXEngineSong* song) = 0;
    virtual void songSetLooping(QXEngineSong* song, bool looping) = 0;
    virtual void songSetPaused(QXEngineSong* song, bool paused) = 0;
    virtual void songSetMasterVolume(QXEngineSong* song, int volume) = 0;  // 0 to 256
    virtual bool songIsPlaying(QXEngineSong* song) = 0;

    virtual QXEngineStream* streamOpen(const char* file, int mode, int offset, int length) = 0;
    virtual int streamPlay(int channel, QXEngineStream* stream, bool paused) = 0;
    virtual void streamClose(QXEngineStream* stream) = 0;
};
