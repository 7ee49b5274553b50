#include "audio/engine/QXMixer.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kGainBits = 14;
constexpr std::uint32_t kGenerationMask = (1u << (31 - QXMixer::kIndexBits)) - 1;

int gainFixed(double gain) { return static_cast<int>(std::lround(gain * (1 << kGainBits))); }

std::uint64_t stepFor(int frequency, int mixRate) {
    return (static_cast<std::uint64_t>(std::clamp(frequency, 0, kMaxChannelFrequency)) << 32) /
           static_cast<std::uint64_t>(mixRate);
}
}  // namespace

QXStereoGain stereoGain(int volume, int pan) {
    const double level = std::clamp(volume, 0, 255) / 255.0;
    const double p = std::clamp(pan, 0, 255);
    return {level * std::min(1.0, (255.0 - p) / 127.0), level * std::min(1.0, p / 127.0)};
}

QXMixer::QXMixer(int mixRate, int channelCount)
    : mixRate_(mixRate), voices_(static_cast<std::size_t>(std::clamp(channelCount, 1, 1 << kIndexBits))),
      mix_(2 * kMixBlockFrames) {}

// Silences a channel, keeping its generation so its old handles stay stale.
void QXMixer::clear(Voice& voice) {
    const std::uint32_t generation = voice.generation;
    voice = Voice();
    voice.generation = generation;
}

QXMixer::Voice* QXMixer::voiceOf(int handle) {
    if (handle < 0) return nullptr;
    const std::size_t index = static_cast<std::size_t>(handle) & ((1u << kIndexBits) - 1);
    if (index >= voices_.size()) return nullptr;
    Voice& voice = voices_[index];
    if (!voice.active || voice.generation != (static_cast<std::uint32_t>(handle) >> kIndexBits)) return nullptr;
    return &voice;
}

int QXMixer::freeVoiceFor(int priority) const {
    int victim = -1;
    for (std::size_t i = 0; i < voices_.size(); ++i) {
        const Voice& voice = voices_[i];
        if (!voice.active) return static_cast<int>(i);
        if (voice.settings.priority < priority &&
            (victim < 0 || voice.settings.priority < voices_[victim].settings.priority))
            victim = static_cast<int>(i);
    }
    return victim;
}

int QXMixer::startVoice(int index) {
    Voice& voice = voices_[index];
    // Generation 0 is never used, so no handle is 0 (0 means "no channel" to programs).
    std::uint32_t generation = (voice.generation + 1) & kGenerationMask;
    clear(voice);
    voice.generation = generation ? generation : 1;
    voice.active = true;
    return static_cast<int>(voice.generation << kIndexBits) | index;
}

int QXMixer::playSample(std::shared_ptr<const QXPcm> pcm, const QXVoiceSettings& settings, bool paused) {
    if (!pcm || pcm->frames() == 0) return -1;
    std::lock_guard guard(lock_);
    int index = freeVoiceFor(settings.priority);
    if (index < 0) return -1;
    int handle = startVoice(index);
    Voice& voice = voices_[index];
    voice.channels = pcm->format.channels;
    voice.soundRate = pcm->format.rate;
    voice.pcm = std::move(pcm);
    voice.settings = settings;
    voice.paused = paused;
    return handle;
}

int QXMixer::playStream(std::shared_ptr<QXSoundSource> source, bool paused) {
    if (!source) return -1;
    QXVoiceSettings settings;
    settings.frequency = source->format().rate;
    settings.priority = 256;  // streams take a channel from any sample
    std::lock_guard guard(lock_);
    int index = freeVoiceFor(settings.priority);
    if (index < 0) return -1;
    int handle = startVoice(index);
    Voice& voice = voices_[index];
    voice.channels = source->format().channels;
    voice.soundRate = settings.frequency;
    voice.source = std::move(source);
    voice.settings = settings;
    voice.paused = paused;
    return handle;
}

void QXMixer::stop(int handle) {
    std::lock_guard guard(lock_);
    if (Voice* voice = voiceOf(handle)) clear(*voice);
}

void QXMixer::stopAllOf(const QXPcm* pcm) {
    std::lock_guard guard(lock_);
    for (Voice& voice : voices_)
        if (voice.active && voice.pcm.get() == pcm) clear(voice);
}

void QXMixer::stopAllOf(const QXSoundSource* source) {
    std::lock_guard guard(lock_);
    for (Voice& voice : voices_)
        if (voice.active && voice.source.get() == source) clear(voice);
}

void QXMixer::stopAll() {
    std::lock_guard guard(lock_);
    for (Voice& voice : voices_) clear(voice);
}

void QXMixer::setPaused(int handle, bool paused) {
    std::lock_guard guard(lock_);
    if (Voice* voice = voiceOf(handle)) voice->paused = paused;
}

void QXMixer::setFrequency(int handle, int frequency) {
    std::lock_guard guard(lock_);
    if (Voice* voice = voiceOf(handle)) voice->settings.frequency = std::clamp(frequency, 0, kMaxChannelFrequency);
}

void QXMixer::setVolume(int handle, int volume) {
    std::lock_guard guard(lock_);
    if (Voice* voice = voiceOf(handle)) voice->settings.volume = std::clamp(volume, 0, 255);
}

void QXMixer::setPan(int handle, int pan) {
    std::lock_guard guard(lock_);
    if (Voice* voice = voiceOf(handle)) voice->settings.pan = std::clamp(pan, 0, 255);
}

bool QXMixer::isPlaying(int handle) {
    std::lock_guard guard(lock_);
    return voiceOf(handle) != nullptr;
}

// Makes the window hold every frame up to `lastFrame` that the stream has,
// dropping the frames before the voice's position. False once the stream has
// no frame at the position.
bool QXMixer::fillWindow(Voice& voice, std::int64_t lastFrame) {
    const int channels = voice.channels;
    const std::int64_t first = static_cast<std::int64_t>(voice.position >> 32);
    std::int64_t have = voice.windowStart + static_cast<std::int64_t>(voice.window.size()) / channels;
    if (first > voice.windowStart) {
        std::int64_t drop = std::min(first, have) - voice.windowStart;
        voice.window.erase(voice.window.begin(), voice.window.begin() + drop * channels);
        voice.windowStart += drop;
    }
    while (!voice.sourceEnded && have <= lastFrame) {
        const int want = static_cast<int>(std::min<std::int64_t>(lastFrame + 1 - have, 1 << 16));
        const std::size_t old = voice.window.size();
        voice.window.resize(old + static_cast<std::size_t>(want) * channels);
        const int got = voice.source->read(voice.window.data() + old, want);
        voice.window.resize(old + static_cast<std::size_t>(std::max(got, 0)) * channels);
        if (got < want) voice.sourceEnded = true;
        have += std::max(got, 0);
    }
    return first < have;
}

void QXMixer::renderVoice(Voice& voice, std::int32_t* mix, int frames) {
    const std::uint64_t step = stepFor(voice.settings.frequency, mixRate_);
    const int channels = voice.channels;
    const std::int16_t* data;
    std::int64_t base;  // frame number of data[0]
    std::int64_t end;   // one past the last frame there is
    std::int64_t loopStart = 0;
    bool looping = false;
    if (voice.pcm) {
        data = voice.pcm->samples.data();
        base = 0;
        end = voice.pcm->frames();
        looping = voice.settings.loopMode == kLoopNormal;
    } else {
        const std::int64_t last = static_cast<std::int64_t>((voice.position + step * frames) >> 32) + 1;
        if (!fillWindow(voice, last)) {
            clear(voice);
            return;
        }
        data = voice.window.data();
        base = voice.windowStart;
        end = base + static_cast<std::int64_t>(voice.window.size()) / channels;
    }
    const QXStereoGain gain = stereoGain(voice.settings.volume, voice.settings.pan);
    const int left = gainFixed(gain.left);
    const int right = gainFixed(gain.right);
    const std::uint64_t loopLength = static_cast<std::uint64_t>(end - loopStart) << 32;
    std::uint64_t position = voice.position;
    for (int i = 0; i < frames; ++i) {
        std::int64_t index = static_cast<std::int64_t>(position >> 32);
        if (index >= end) {
            if (!looping || loopLength == 0) {
                clear(voice);
                return;
            }
            position -= loopLength * ((position - (static_cast<std::uint64_t>(loopStart) << 32)) / loopLength);
            index = static_cast<std::int64_t>(position >> 32);
        }
        std::int64_t next = index + 1 < end ? index + 1 : (looping ? loopStart : index);
        const int fraction = static_cast<int>((position >> 17) & 0x7FFF);
        const std::int16_t* a = data + (index - base) * channels;
        const std::int16_t* b = data + (next - base) * channels;
        const int sampleLeft = a[0] + (((b[0] - a[0]) * fraction) >> 15);
        const int sampleRight = channels == 2 ? a[1] + (((b[1] - a[1]) * fraction) >> 15) : sampleLeft;
        mix[2 * i] += (sampleLeft * left) >> kGainBits;
        mix[2 * i + 1] += (sampleRight * right) >> kGainBits;
        position += step;
    }
    voice.position = position;
}

void QXMixer::render(std::int16_t* out, int frames) {
    while (frames > 0) {
        const int block = std::min(frames, kMixBlockFrames);
        std::fill(mix_.begin(), mix_.begin() + 2 * block, 0);
        {
            std::lock_guard guard(lock_);
            for (Voice& voice : voices_)
                if (voice.active && !voice.paused) renderVoice(voice, mix_.data(), block);
        }
        for (int i = 0; i < 2 * block; ++i) out[i] = static_cast<std::int16_t>(std::clamp(mix_[i], -32768, 32767));
        out += 2 * block;
        frames -= block;
    }
}
