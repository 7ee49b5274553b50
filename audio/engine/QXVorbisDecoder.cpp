#include "audio/engine/QXVorbisDecoder.h"

#include <cstring>
#include <vector>

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

namespace {
constexpr std::size_t kMaxCommentPacket = 16 * 1024 * 1024;

std::uint32_t u32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The comment header (the stream's second packet), collected from the Ogg
// pages of the first logical stream; empty when the pages end first.
std::vector<std::uint8_t> commentPacket(QXByteReader& reader) {
    std::vector<std::uint8_t> packet;
    int packetIndex = 0;
    std::uint32_t serial = 0;
    for (bool firstPage = true;; firstPage = false) {
        std::uint8_t header[27];
        if (reader.read(header, 27) != 27 || std::memcmp(header, "OggS", 4) != 0) return {};
        std::uint8_t segments[255];
        const int count = header[26];
        if (reader.read(segments, count) != static_cast<std::size_t>(count)) return {};
        if (firstPage) serial = u32(header + 14);
        const bool ours = u32(header + 14) == serial;
        for (int i = 0; i < count; ++i) {
            const int length = segments[i];
            if (ours && packetIndex == 1) {
                if (packet.size() + length > kMaxCommentPacket) return {};
                const std::size_t old = packet.size();
                packet.resize(old + length);
                if (reader.read(packet.data() + old, length) != static_cast<std::size_t>(length)) return {};
            } else if (!reader.seek(reader.tell() + length)) {
                return {};
            }
            if (ours && length < 255 && ++packetIndex == 2) return packet;
        }
    }
}

// stb_vorbis trusts the vendor and comment lengths of the comment header (a
// length of 2^32 - 1 writes before its buffer); they must fit the packet.
bool commentsFitTheirPacket(QXByteReader& reader) {
    const std::vector<std::uint8_t> packet = commentPacket(reader);
    if (packet.size() < 7 + 8 || packet[0] != 3 || std::memcmp(packet.data() + 1, "vorbis", 6) != 0) return false;
    std::size_t position = 7;
    auto take = [&](std::uint64_t bytes) {
        if (bytes > packet.size() - position) return false;
        position += static_cast<std::size_t>(bytes);
        return true;
    };
    if (!take(4) || !take(u32(packet.data() + position - 4))) return false;
    if (!take(4)) return false;
    const std::uint32_t comments = u32(packet.data() + position - 4);
    for (std::uint32_t i = 0; i < comments; ++i)
        if (!take(4) || !take(u32(packet.data() + position - 4))) return false;
    return true;
}

// stb_vorbis works inside a buffer of ours: its own allocations leak when a
// damaged header makes it give up, and this bounds what a file can claim.
constexpr int kArenaSizes[] = {256 * 1024, 1024 * 1024, 4 * 1024 * 1024};
constexpr int kArenaGuard = 64;

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
        // Guard bytes around the arena: a stray write just outside it lands there.
        arena.bytes = std::make_unique<char[]>(static_cast<std::size_t>(size) + 2 * kArenaGuard);
        arena.alloc = {arena.bytes.get() + kArenaGuard, size};
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
    std::unique_ptr<QXByteReader> reader = openFileReader(path);
    if (!reader || !commentsFitTheirPacket(*reader)) return nullptr;
    return openInArena([&](int* error, const stb_vorbis_alloc* alloc) {
        return stb_vorbis_open_filename(path, error, alloc);
    });
}

std::unique_ptr<QXSoundSource> openVorbisMemory(const std::uint8_t* data, std::size_t size) {
    if (size > 0x7FFFFFFF) return nullptr;
    QXMemoryReader reader(data, size);
    if (!commentsFitTheirPacket(reader)) return nullptr;
    return openInArena([&](int* error, const stb_vorbis_alloc* alloc) {
        return stb_vorbis_open_memory(data, static_cast<int>(size), error, alloc);
    });
}
