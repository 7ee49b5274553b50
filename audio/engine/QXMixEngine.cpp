#include "audio/engine/QXMixEngine.h"

#include <algorithm>

#include "audio/engine/QXSoundFile.h"

class QXEngineSample {
public:
    std::shared_ptr<const QXPcm> pcm;
    QXSampleDefaults defaults;
    int loopMode = kLoopOff;
};

class QXEngineStream {
public:
    std::shared_ptr<QXSoundSource> source;
    int channel = -1;
    bool started = false;
};

namespace {
// The engine's own pointers only: anything else the caller passes is ignored.
template <class T> T* findOwned(const std::vector<std::unique_ptr<T>>& items, const T* item) {
    if (!item) return nullptr;
    for (const auto& owned : items)
        if (owned.get() == item) return owned.get();
    return nullptr;
}

template <class T> void eraseOwned(std::vector<std::unique_ptr<T>>& items, const T* item) {
    std::erase_if(items, [item](const std::unique_ptr<T>& owned) { return owned.get() == item; });
}
}  // namespace

QXMixEngine::QXMixEngine(DeviceFactory deviceFactory, std::vector<QXSongLoader> songLoaders)
    : deviceFactory_(std::move(deviceFactory)), songLoaders_(std::move(songLoaders)) {}

QXMixEngine::~QXMixEngine() { engineClose(); }

bool QXMixEngine::engineInit(int mixRate, int channels, int /*flags*/) {
    engineClose();
    if (mixRate < kMinSoundRate || mixRate > kMaxSoundRate || channels < 1) return false;
    std::unique_ptr<QXAudioDevice> device;
    if (deviceFactory_) {
        device = deviceFactory_();
        if (!device || !device->open(mixRate)) return false;
    }
    mixer_ = std::make_unique<QXMixer>(mixRate, channels);
    device_ = std::move(device);
    if (device_) thread_ = std::make_unique<QXMixerThread>(*mixer_, *device_);
    return true;
}

void QXMixEngine::engineClose() {
    thread_.reset();  // the mixer thread ends before anything it reads goes
    if (device_) device_->close();
    device_.reset();
    songs_.clear();
    streams_.clear();
    samples_.clear();
    mixer_.reset();
}

int QXMixEngine::objectCount() const {
    return static_cast<int>(samples_.size() + songs_.size() + streams_.size());
}

void QXMixEngine::render(std::int16_t* out, int frames) {
    if (mixer_ && !thread_) mixer_->render(out, frames);
}

// ---------------------------------------------------------------- samples

QXEngineSample* QXMixEngine::sampleFromSource(std::unique_ptr<QXSoundSource> source) {
    if (!mixer_ || !source) return nullptr;
    std::unique_ptr<QXPcm> pcm = readWhole(*source);
    if (!pcm) return nullptr;
    auto sample = std::make_unique<QXEngineSample>();
    sample->defaults.frequency = pcm->format.rate;
    sample->pcm = std::move(pcm);
    samples_.push_back(std::move(sample));
    return samples_.back().get();
}

QXEngineSample* QXMixEngine::sampleLoad(int /*slot*/, const char* file, int /*mode*/, int /*offset*/, int /*length*/) {
    if (!mixer_) return nullptr;
    return sampleFromSource(openSoundFile(file));
}

void QXMixEngine::sampleFree(QXEngineSample* sample) {
    if (!(sample = findOwned(samples_, sample))) return;
    mixer_->stopAllOf(sample->pcm.get());
    eraseOwned(samples_, sample);
}

QXSampleDefaults QXMixEngine::sampleGetDefaults(QXEngineSample* sample) {
    sample = findOwned(samples_, sample);
    return sample ? sample->defaults : QXSampleDefaults{};
}

void QXMixEngine::sampleSetDefaults(QXEngineSample* sample, const QXSampleDefaults& defaults) {
    if (!(sample = findOwned(samples_, sample))) return;
    sample->defaults = {std::clamp(defaults.frequency, 0, kMaxChannelFrequency), std::clamp(defaults.volume, 0, 255),
                        std::clamp(defaults.pan, 0, 255), std::clamp(defaults.priority, 0, 255)};
}

void QXMixEngine::sampleSetMode(QXEngineSample* sample, int mode) {
    if ((sample = findOwned(samples_, sample))) sample->loopMode = mode == kLoopNormal ? kLoopNormal : kLoopOff;
}

int QXMixEngine::samplePlay(int /*channel*/, QXEngineSample* sample, bool paused) {
    if (!(sample = findOwned(samples_, sample))) return -1;
    const QXSampleDefaults& d = sample->defaults;
    return mixer_->playSample(sample->pcm, {d.frequency, d.volume, d.pan, d.priority, sample->loopMode}, paused);
}

// ---------------------------------------------------------------- channels

void QXMixEngine::channelStop(int channel) {
    if (mixer_) mixer_->stop(channel);
}
void QXMixEngine::channelSetPaused(int channel, bool paused) {
    if (mixer_) mixer_->setPaused(channel, paused);
}
void QXMixEngine::channelSetFrequency(int channel, int frequency) {
    if (mixer_) mixer_->setFrequency(channel, frequency);
}
void QXMixEngine::channelSetVolume(int channel, int volume) {
    if (mixer_) mixer_->setVolume(channel, volume);
}
void QXMixEngine::channelSetPan(int channel, int pan) {
    if (mixer_) mixer_->setPan(channel, pan);
}
bool QXMixEngine::channelIsPlaying(int channel) { return mixer_ && mixer_->isPlaying(channel); }

// ---------------------------------------------------------------- songs

QXEngineSong* QXMixEngine::songLoad(const char* file) {
    if (!mixer_ || !file) return nullptr;
    for (QXSongLoader loader : songLoaders_) {
        if (std::unique_ptr<QXEngineSong> song = loader(file, *mixer_)) {
            songs_.push_back(std::move(song));
            return songs_.back().get();
        }
    }
    return nullptr;
}

void QXMixEngine::songFree(QXEngineSong* song) {
    if (!(song = findOwned(songs_, song))) return;
    song->stop();
    eraseOwned(songs_, song);
}

bool QXMixEngine::songPlay(QXEngineSong* song) { return (song = findOwned(songs_, song)) && song->play(); }
void QXMixEngine::songStop(QXEngineSong* song) {
    if ((song = findOwned(songs_, song))) song->stop();
}
void QXMixEngine::songSetLooping(QXEngineSong* song, bool looping) {
    if ((song = findOwned(songs_, song))) song->setLooping(looping);
}
void QXMixEngine::songSetPaused(QXEngineSong* song, bool paused) {
    if ((song = findOwned(songs_, song))) song->setPaused(paused);
}
void QXMixEngine::songSetMasterVolume(QXEngineSong* song, int volume) {
    if ((song = findOwned(songs_, song))) song->setMasterVolume(std::clamp(volume, 0, 256));
}
bool QXMixEngine::songIsPlaying(QXEngineSong* song) { return (song = findOwned(songs_, song)) && song->isPlaying(); }

// ---------------------------------------------------------------- streams

QXEngineStream* QXMixEngine::streamOpen(const char* file, int /*mode*/, int /*offset*/, int /*length*/) {
    if (!mixer_) return nullptr;
    std::unique_ptr<QXSoundSource> source = openSoundFile(file);
    if (!source) return nullptr;
    auto stream = std::make_unique<QXEngineStream>();
    stream->source = std::move(source);
    streams_.push_back(std::move(stream));
    return streams_.back().get();
}

int QXMixEngine::streamPlay(int /*channel*/, QXEngineStream* stream, bool paused) {
    if (!(stream = findOwned(streams_, stream))) return -1;
    // A stream plays on one channel at a time; playing it again starts over.
    mixer_->stopAllOf(stream->source.get());
    if (stream->started && !stream->source->rewind()) return -1;
    stream->started = true;
    stream->channel = mixer_->playStream(stream->source, paused);
    return stream->channel;
}

void QXMixEngine::streamClose(QXEngineStream* stream) {
    if (!(stream = findOwned(streams_, stream))) return;
    mixer_->stopAllOf(stream->source.get());
    eraseOwned(streams_, stream);
}
