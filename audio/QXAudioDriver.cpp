#include "audio/QXAudioDriver.h"

#include <cstring>

#include "runtime/QXHostPath.h"

namespace {
QXAudioDriver::EngineFactory engineFactory = createPlatformSoundEngine;

bool hasSongExtension(const std::string& lowerName) {
    static const char* const kSongKinds[] = {".mod", ".s3m", ".xm", ".it", ".mid", ".rmi", ".sgt"};
    for (const char* kind : kSongKinds)
        if (lowerName.find(kind) != std::string::npos) return true;
    return false;
}

std::string asciiLower(const char* text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}
}  // namespace

// ---------------------------------------------------------------- sounds and songs

QXSound::QXSound(QXEngineSample* engineSample) : sample(engineSample) {
    QXSampleDefaults defaults = theQXAudioDriver.engine()->sampleGetDefaults(sample);
    frequency = defaults.frequency;
    volume = defaults.volume;
    pan = defaults.pan;
    priority = defaults.priority;
}

QXSound::~QXSound() {
    if (QXSoundEngine* engine = theQXAudioDriver.engine()) engine->sampleFree(sample);
}

QXSong::QXSong(int songSlot, QXEngineSong* engineSong) : slot(songSlot), song(engineSong) {}

QXSong::~QXSong() {
    if (QXSoundEngine* engine = theQXAudioDriver.engine()) engine->songFree(song);
    theQXAudioDriver.forgetSong(this);
}

// ---------------------------------------------------------------- the module

QXAudioDriver::QXAudioDriver() { registerModule("QXAudioDriver", "Audio", "Native"); }

QXAudioDriver::EngineFactory QXAudioDriver::setEngineFactory(EngineFactory factory) {
    EngineFactory previous = engineFactory;
    engineFactory = factory;
    return previous;
}

void QXAudioDriver::clearState() {
    songCache_.clear();
    songSlots_.fill(nullptr);
    streamSlots_.fill(nullptr);
}

bool QXAudioDriver::startup() {
    clearState();
    opened_ = false;
    return true;  // a machine without sound still runs the program, silently
}

void QXAudioDriver::openEngine() {
    opened_ = true;
    engine_ = engineFactory ? engineFactory() : nullptr;
    initialised_ = engine_ && engine_->engineInit(44100, 256, 1);
    if (!initialised_) engine_.reset();
}

void QXAudioDriver::shutdown() {
    if (engine_) engine_->engineClose();
    engine_.reset();
    initialised_ = false;
    opened_ = false;
    clearState();
}

void QXAudioDriver::forgetSong(QXSong* song) {
    if (song->slot >= 0 && song->slot < kSlots && songSlots_[song->slot] == song) songSlots_[song->slot] = nullptr;
    // A freed song must never be found again by name.
    std::erase_if(songCache_, [song](const auto& entry) { return entry.second == song; });
}

QXSong* QXAudioDriver::songOf(int channel) const { return channel < 0 ? songSlots_[channel & kSlotMask] : nullptr; }

QXSound* QXAudioDriver::loadSound(const char* file) {
    if (!initialised()) return nullptr;
    QXEngineSample* sample = engine_->sampleLoad(-1, hostPath(file).c_str(), 0, 0, 0);
    if (!sample) return nullptr;
    auto* sound = new QXSound(sample);
    addModuleResource(sound);
    return sound;
}

void QXAudioDriver::closeStreamAt(int channel) {
    QXEngineStream*& slot = streamSlots_[channel & kSlotMask];
    if (slot) engine_->streamClose(slot);
    slot = nullptr;
}

int QXAudioDriver::playSound(QXSound* sound, int flags) {
    if (!sound || !initialised()) return 0;
    const bool paused = (flags & 2) != 0;
    auto applyDefaults = [&] {
        if (sound->defaultsApplied) return;
        engine_->sampleSetDefaults(sound->sample, {sound->frequency, sound->volume, sound->pan, sound->priority});
        sound->defaultsApplied = true;
    };
    if (flags & 1) {
        applyDefaults();
        engine_->sampleSetMode(sound->sample, kSampleLoopNormal);
    }
    applyDefaults();
    int channel = engine_->samplePlay(-1, sound->sample, paused);
    if (channel < 0) return 0;
    closeStreamAt(channel);
    return channel;
}

int QXAudioDriver::playSong(QXSong* song, int flags) {
    engine_->songStop(song->song);
    engine_->songSetLooping(song->song, (flags & 1) != 0);
    if (!engine_->songPlay(song->song)) return 0;
    if (flags & 2) engine_->songSetPaused(song->song, true);
    return song->slot | kSongBit;
}

int QXAudioDriver::playStream(const char* file, int flags) {
    QXEngineStream* stream = engine_->streamOpen(hostPath(file).c_str(), 0, 0, 0);
    if (!stream) return 0;
    int channel = engine_->streamPlay(-1, stream, (flags & 2) != 0);
    if (channel < 0) {
        engine_->streamClose(stream);
        return 0;
    }
    QXEngineStream*& slot = streamSlots_[channel & kSlotMask];
    if (slot && slot != stream) engine_->streamClose(slot);
    slot = stream;
    return channel;
}

int QXAudioDriver::playMusic(const char* file, int flags) {
    if (!initialised()) return 0;
    const std::string lower = asciiLower(file);
    if (!hasSongExtension(lower)) return playStream(file, flags);

    if (auto cached = songCache_.find(lower); cached != songCache_.end()) return playSong(cached->second, flags);
    int slot = 0;
    while (slot < kSlots && songSlots_[slot]) ++slot;
    if (slot == kSlots) return 0;
    QXEngineSong* engineSong = engine_->songLoad(hostPath(file).c_str());
    if (!engineSong) return 0;
    engine_->songSetLooping(engineSong, false);
    auto* song = new QXSong(slot, engineSong);
    songSlots_[slot] = song;
    addModuleResource(song);
    songCache_[lower] = song;
    return playSong(song, flags);
}

void QXAudioDriver::stopChannel(int channel) {
    if (!initialised()) return;
    if (channel >= 0) {
        engine_->channelStop(channel);
        closeStreamAt(channel);
    } else if (QXSong* song = songOf(channel)) {
        engine_->songStop(song->song);
    }
}

QX_MODULE_INSTANCE(QXAudioDriver, 17);
