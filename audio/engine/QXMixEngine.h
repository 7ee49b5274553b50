#pragma once
// The sound engine: samples decoded whole at load, streams decoded while they
// play, songs through their players, everything mixed by QXMixer and fed to
// an audio device by the mixer thread. Without a device factory the engine
// runs offline and render() produces its output (for tests and benchmarks).

#include <functional>
#include <memory>
#include <vector>

#include "audio/engine/QXAudioDevice.h"
#include "audio/engine/QXEngineSong.h"
#include "audio/engine/QXMixer.h"
#include "audio/engine/QXMixerThread.h"
#include "audio/engine/QXSoundEngine.h"

class QXMixEngine final : public QXSoundEngine {
public:
    using DeviceFactory = std::function<std::unique_ptr<QXAudioDevice>()>;
    explicit QXMixEngine(DeviceFactory deviceFactory = nullptr, std::vector<QXSongLoader> songLoaders = {});
    ~QXMixEngine() override;

    bool engineInit(int mixRate, int channels, int flags) override;
    void engineClose() override;

    QXEngineSample* sampleLoad(int slot, const char* file, int mode, int offset, int length) override;
    void sampleFree(QXEngineSample* sample) override;
    QXSampleDefaults sampleGetDefaults(QXEngineSample* sample) override;
    void sampleSetDefaults(QXEngineSample* sample, const QXSampleDefaults& defaults) override;
    void sampleSetMode(QXEngineSample* sample, int mode) override;
    int samplePlay(int channel, QXEngineSample* sample, bool paused) override;

    void channelStop(int channel) override;
    void channelSetPaused(int channel, bool paused) override;
    void channelSetFrequency(int channel, int frequency) override;
    void channelSetVolume(int channel, int volume) override;
    void channelSetPan(int channel, int pan) override;
    bool channelIsPlaying(int channel) override;

    QXEngineSong* songLoad(const char* file) override;
    void songFree(QXEngineSong* song) override;
    bool songPlay(QXEngineSong* song) override;
    void songStop(QXEngineSong* song) override;
    void songSetLooping(QXEngineSong* song, bool looping) override;
    void songSetPaused(QXEngineSong* song, bool paused) override;
    void songSetMasterVolume(QXEngineSong* song, int volume) override;
    bool songIsPlaying(QXEngineSong* song) override;

    QXEngineStream* streamOpen(const char* file, int mode, int offset, int length) override;
    int streamPlay(int channel, QXEngineStream* stream, bool paused) override;
    void streamClose(QXEngineStream* stream) override;

    // Offline output: the next frames of the mix (only without a device).
    void render(std::int16_t* out, int frames);
    bool running() const { return mixer_ != nullptr; }
    // Samples, songs and streams the engine holds now.
    int objectCount() const;

    // Loads a sample from bytes in memory (for tests and benchmarks).
    QXEngineSample* sampleFromSource(std::unique_ptr<class QXSoundSource> source);

private:
    DeviceFactory deviceFactory_;
    std::vector<QXSongLoader> songLoaders_;
    std::unique_ptr<QXMixer> mixer_;
    std::unique_ptr<QXAudioDevice> device_;
    std::unique_ptr<QXMixerThread> thread_;
    std::vector<std::unique_ptr<QXEngineSample>> samples_;
    std::vector<std::unique_ptr<QXEngineSong>> songs_;
    std::vector<std::unique_ptr<QXEngineStream>> streams_;
};
