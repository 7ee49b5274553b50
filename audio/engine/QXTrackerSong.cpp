#include "audio/engine/QXTrackerSong.h"

#ifdef QX_HAVE_LIBXMP

#include <xmp.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "audio/engine/QXMixer.h"

namespace {
// Renders the module for the mixer thread. The program's thread only sets
// the two atomics while the channel plays; everything else it does to the
// player happens with the channel stopped.
class TrackerSource final : public QXSoundSource {
public:
    TrackerSource(xmp_context context, int rate) : context_(context), rate_(rate) {}

    QXPcmFormat format() const override { return {rate_, 2}; }

    int read(std::int16_t* out, int frames) override {
        const int volume = volume_.load();
        if (volume != appliedVolume_) {
            xmp_set_player(context_, XMP_PLAYER_VOLUME, volume);
            appliedVolume_ = volume;
        }
        // The player's frames (one tick each) are cut into the mixer's
        // blocks here rather than by xmp_play_buffer: a damaged tempo makes
        // libxmp's tick size zero or negative, and its own loop then waits
        // for ever for bytes that never come. Such a frame ends the song.
        auto* bytes = reinterpret_cast<char*>(out);
        const int wanted = frames * 4;  // 16-bit stereo
        int filled = 0;
        while (filled < wanted) {
            if (pendingBytes_ == 0 && !nextFrame()) break;
            const int copied = std::min(pendingBytes_, wanted - filled);
            std::memcpy(bytes + filled, pending_, static_cast<std::size_t>(copied));
            pending_ += copied;
            pendingBytes_ -= copied;
            filled += copied;
        }
        if (filled == 0) return 0;
        std::memset(bytes + filled, 0, static_cast<std::size_t>(wanted - filled));
        return frames;
    }
    bool rewind() override { return false; }

    // Forgets the frame in hand, for a new start of the player.
    void restart() {
        pending_ = nullptr;
        pendingBytes_ = 0;
        ended_ = false;
    }

    std::atomic<bool> looping_{false};
    std::atomic<int> volume_{100};  // libxmp's scale: 100 is as written

private:
    // Plays the next tick; false at the end of the song (after the first
    // pass unless looping) or at a frame with no sound to give.
    bool nextFrame() {
        if (ended_) return false;
        const int played = xmp_play_frame(context_);
        xmp_frame_info info{};
        xmp_get_frame_info(context_, &info);
        if (played < 0 || info.buffer_size <= 0 || !info.buffer || (!looping_.load() && info.loop_count >= 1)) {
            ended_ = true;
            return false;
        }
        pending_ = static_cast<const char*>(info.buffer);
        pendingBytes_ = info.buffer_size;
        return true;
    }

    xmp_context context_;
    int rate_;
    int appliedVolume_ = -1;
    const char* pending_ = nullptr;  // the rest of the last frame, in libxmp's buffer
    int pendingBytes_ = 0;
    bool ended_ = false;
};

class TrackerSong final : public QXEngineSong {
public:
    TrackerSong(xmp_context context, QXMixer& mixer)
        : context_(context), mixer_(mixer), source_(std::make_shared<TrackerSource>(context, mixer.mixRate())) {}
    ~TrackerSong() override {
        stop();
        if (started_) xmp_end_player(context_);
        xmp_release_module(context_);
        xmp_free_context(context_);
    }
    TrackerSong(const TrackerSong&) = delete;
    TrackerSong& operator=(const TrackerSong&) = delete;

    bool play() override {
        stop();  // the mixer thread no longer touches the player
        if (started_) xmp_end_player(context_);
        started_ = xmp_start_player(context_, mixer_.mixRate(), 0) == 0;
        if (!started_) return false;
        xmp_play_buffer(context_, nullptr, 0, 0);  // forget the loop count of an earlier play
        source_->restart();
        channel_ = mixer_.playStream(source_, false);
        return channel_ >= 0;
    }
    void stop() override {
        if (channel_ >= 0) mixer_.stop(channel_);
        channel_ = -1;
    }
    void setLooping(bool looping) override { source_->looping_ = looping; }
    void setPaused(bool paused) override {
        if (channel_ >= 0) mixer_.setPaused(channel_, paused);
    }
    // 0 to 256 onto libxmp's 0 to 200, where 100 plays the module as written.
    void setMasterVolume(int volume) override { source_->volume_ = std::clamp(volume, 0, 256) * 100 / 256; }
    bool isPlaying() override { return channel_ >= 0 && mixer_.isPlaying(channel_); }

private:
    xmp_context context_;
    QXMixer& mixer_;
    std::shared_ptr<TrackerSource> source_;
    int channel_ = -1;
    bool started_ = false;
};

// libxmp 4.5.0 plays an IT sample's ping-pong sustain loop from the
// sample's own buffer as if that loop were unrolled there (the unrolled copy
// it makes goes to a buffer its mixer never reads): past the loop's end it
// reads as far again as the loop is long, beyond the buffer when the loop
// ends near the sample's end. Such a sample gets a buffer long enough for
// any such loop, twice the sample and libxmp's four frames of interpolation
// guard; what libxmp wrote stays as it was, and the frames added hold the
// sample mirrored at its end, as an unrolled loop ending there would.
// False when there is no memory for it.
bool makeRoomForSustainPingPong(xmp_sample& sample) {
    constexpr int kPingPongSustain = XMP_SAMPLE_SLOOP | XMP_SAMPLE_SLOOP_BIDIR;
    if ((sample.flg & kPingPongSustain) != kPingPongSustain || !sample.data || sample.len <= 0) return true;
    const std::int64_t length = sample.len;
    // The frames libxmp's loader allocated (libxmp_load_sample): the sample,
    // the guard and, for a ping-pong main loop, its unrolled part past the end.
    std::int64_t frames = length + 4;
    if ((sample.flg & XMP_SAMPLE_LOOP) && (sample.flg & XMP_SAMPLE_LOOP_BIDIR))
        frames += std::max<std::int64_t>(0, std::int64_t{sample.lpe} - sample.lps - (length - sample.lpe));
    const std::int64_t needed = 2 * length + 4;
    if (needed <= frames) return true;
    const std::size_t width = sample.flg & XMP_SAMPLE_16BIT ? 2 : 1;
    // The buffer starts 4 bytes before data, where libxmp frees it from.
    auto* block = static_cast<unsigned char*>(std::realloc(sample.data - 4, 4 + static_cast<std::size_t>(needed) * width));
    if (!block) return false;
    sample.data = block + 4;
    for (std::int64_t frame = frames; frame < needed; ++frame) {
        const std::int64_t mirrored = std::max<std::int64_t>(0, 2 * length - 1 - frame);
        std::memcpy(sample.data + frame * width, sample.data + mirrored * width, width);
    }
    return true;
}

bool makeSamplesSafe(xmp_context context) {
    xmp_module_info info{};
    xmp_get_module_info(context, &info);
    if (!info.mod) return false;
    for (int i = 0; i < info.mod->smp; ++i)
        if (!makeRoomForSustainPingPong(info.mod->xxs[i])) return false;
    return true;
}

template <typename Load>
std::unique_ptr<QXEngineSong> loadWith(QXMixer& mixer, Load load) {
    xmp_context context = xmp_create_context();
    if (!context) return nullptr;
    if (load(context) != 0) {
        xmp_free_context(context);
        return nullptr;
    }
    if (!makeSamplesSafe(context)) {
        xmp_release_module(context);
        xmp_free_context(context);
        return nullptr;
    }
    return std::make_unique<TrackerSong>(context, mixer);
}

std::unique_ptr<QXEngineSong> loadTrackerSong(const char* path, QXMixer& mixer) {
    return loadWith(mixer, [&](xmp_context context) { return xmp_load_module(context, path); });
}
}  // namespace

QXSongLoader trackerSongLoader() { return loadTrackerSong; }

std::unique_ptr<QXEngineSong> loadTrackerSongMemory(const std::uint8_t* data, std::size_t size, QXMixer& mixer) {
    if (!data || size == 0 || size > 0x7FFFFFFF) return nullptr;
    return loadWith(mixer, [&](xmp_context context) {
        return xmp_load_module_from_memory(context, data, static_cast<long>(size));
    });
}

#else

QXSongLoader trackerSongLoader() { return nullptr; }

std::unique_ptr<QXEngineSong> loadTrackerSongMemory(const std::uint8_t*, std::size_t, QXMixer&) { return nullptr; }

#endif
