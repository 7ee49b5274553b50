#include "audio/engine/QXMp3Frames.h"

#include <cstring>
#include <vector>

namespace {
constexpr int kBitratesMpeg1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kBitratesMpeg2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
constexpr std::size_t kSearchBytes = 64 * 1024;

// The size of an ID3v2 tag at the start, or 0.
std::uint64_t id3Size(const std::uint8_t* head, std::size_t size) {
    if (size < 10 || std::memcmp(head, "ID3", 3) != 0) return 0;
    for (int i = 6; i < 10; ++i)
        if (head[i] & 0x80) return 0;  // not a syncsafe size
    std::uint64_t body = static_cast<std::uint64_t>(head[6]) << 21 | head[7] << 14 | head[8] << 7 | head[9];
    return 10 + body + (head[5] & 0x10 ? 10 : 0);  // with a footer
}
}  // namespace

std::optional<QXMp3Header> parseMp3Header(const std::uint8_t* b) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return std::nullopt;
    const int version = (b[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int layer = (b[1] >> 1) & 3;    // 1 is layer III
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return std::nullopt;
    const bool mpeg1 = version == 3;
    QXMp3Header header;
    header.rate = kRates[mpeg1 ? 0 : version == 2 ? 1 : 2][rateIndex];
    header.bitrateKbps = (mpeg1 ? kBitratesMpeg1 : kBitratesMpeg2)[bitrateIndex];
    header.channels = (b[3] >> 6) == 3 ? 1 : 2;
    header.samplesPerFrame = mpeg1 ? 1152 : 576;
    const int padding = (b[2] >> 1) & 1;
    header.frameBytes = (mpeg1 ? 144000 : 72000) * header.bitrateKbps / header.rate + padding;
    return header;
}

std::optional<QXMp3Stream> findMp3Stream(QXByteReader& reader) {
    std::uint8_t tag[10] = {};
    if (!reader.seek(0)) return std::nullopt;
    const std::size_t got = reader.read(tag, sizeof tag);
    const std::uint64_t start = id3Size(tag, got);
    if (start >= reader.size() || !reader.seek(start)) return std::nullopt;
    std::vector<std::uint8_t> window(kSearchBytes + 4 + 2 * 1441 + 4);
    window.resize(reader.read(window.data(), window.size()));
    for (std::size_t i = 0; i + 4 <= window.size() && i < kSearchBytes; ++i) {
        std::optional<QXMp3Header> first = parseMp3Header(window.data() + i);
        if (!first) continue;
        const std::size_t next = i + static_cast<std::size_t>(first->frameBytes);
        if (next + 4 > window.size()) continue;
        std::optional<QXMp3Header> second = parseMp3Header(window.data() + next);
        if (second && second->rate == first->rate && second->channels == first->channels)
            return QXMp3Stream{*first, start + i};
    }
    return std::nullopt;
}

bool looksLikeMp3(const std::uint8_t* head, std::size_t size) {
    if (size >= 3 && std::memcmp(head, "ID3", 3) == 0) return true;
    return size >= 4 && parseMp3Header(head).has_value();
}

std::optional<QXMp3File> openMp3File(const char* path, const std::uint8_t* head, std::size_t headSize) {
    if (!looksLikeMp3(head, headSize)) return std::nullopt;
    std::unique_ptr<QXByteReader> reader = openFileReader(path);
    if (!reader) return std::nullopt;
    std::optional<QXMp3Stream> stream = findMp3Stream(*reader);
    if (!stream || !reader->seek(stream->firstFrame)) return std::nullopt;
    return QXMp3File{std::move(reader), *stream};
}

int QXMp3Source::read(std::int16_t* out, int frames) {
    const int channels = stream_.header.channels;
    int done = 0;
    while (done < frames) {
        if (pending_.frames() == 0 && !decodeMore()) break;
        done += static_cast<int>(pending_.take(out + done * channels, static_cast<std::size_t>(frames - done)));
    }
    return done;
}
