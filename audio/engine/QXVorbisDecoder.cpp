#include "audio/engine/QXVorbisDecoder.h"

#include <cstring>

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

namespace {
// stb_vorbis works inside a buffer of ours: its own allocations leak when a
// damaged header makes it give up, and this bounds what a file can claim.
constexpr int kArenaSizes[] = {256 * 1024, 1024 * 1024, 4 * 1024 * 1024};

struct Arena {
    std::unique_ptr<char[]> bytes;
    stb_vorbis_alloc alloc{};
};

class VorbisSource final : public QXSoundSource {
public:
    VorbisSource(stb_vorbis* vorbis, Arena arena) : vorbis_(vorbis), arena_(std::move(arena)) {
        stb_vorbis_info info = stb_vorbis_get_info(vorbis);
        format_ = {static_cast<int>(info.sample_rate), info.channels};
    }
    ~VorbisSource() override { stb_vorbis_close(vorbis_); }
    VorbisSource(const VorbisSource&) = delete;
    VorbisSource& operator=(const VorbisSource&) = delete;

    bool playable() const {
        return format_.channels >= 1 && format_.channels <= 2 && format_.rate >= kMinSoundRate &&
               format_.rate <= kMaxSoundRate;
    }
    QXPcmFormat format() const override { return format_; }

    int read(std::int16_t* out, int frames) override {
        if (ended_) return 0;
        int done = 0;
        while (done < frames) {
            int got = stb_vorbis_get_samples_short_interleaved(vorbis_, format_.channels, out + done * format_.channels,
                                                               (frames - done) * format_.channels);
            if (got <= 0) {
                ended_ = true;
                break;
            }
            done += got;
        }
        return done;
    }

    bool rewind() override {
        ended_ = !stb_vorbis_seek_start(vorbis_);
        return !ended_;
    }

private:
    stb_vorbis* vorbis_;
    Arena arena_;  // after vorbis_: freed once stb_vorbis is closed
    QXPcmFormat format_;
    bool ended_ = false;
};

// Opens with growing arenas while stb_vorbis runs out of room.
template <class Open> std::unique_ptr<QXSoundSource> openInArena(Open open) {
    for (int size : kArenaSizes) {
        Arena arena;
        arena.bytes = std::make_unique<char[]>(static_cast<std::size_t>(size));
        arena.alloc = {arena.bytes.get(), size};
        int error = 0;
        stb_vorbis* vorbis = open(&error, &arena.alloc);
        if (vorbis) {
            auto source = std::make_unique<VorbisSource>(vorbis, std::move(arena));
            if (!source->playable()) return nullptr;
            return source;
        }
        if (error != VORBIS_outofmem) return nullptr;
    }
    return nullptr;
}
}  // namespace

bool looksLikeOgg(const std::uint8_t* head, std::size_t size) { return size >= 4 && std::memcmp(head, "OggS", 4) == 0; }

std::unique_ptr<QXSoundSource> openVorbisFile(const char* path) {
    return openInArena([&](int* error, const stb_vorbis_alloc* alloc) {
        return stb_vorbis_open_filename(path, error, alloc);
    });
}

std::unique_ptr<QXSoundSource> openVorbisMemory(const std::uint8_t* data, std::size_t size) {
    if (size > 0x7FFFFFFF) return nullptr;
    return openInArena([&](int* error, const stb_vorbis_alloc* alloc) {
        return stb_vorbis_open_memory(data, static_cast<int>(size), error, alloc);
    });
}
