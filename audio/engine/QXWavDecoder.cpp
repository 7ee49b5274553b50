#include "audio/engine/QXWavDecoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {
constexpr int kTagPcm = 1;
constexpr int kTagFloat = 3;
constexpr int kTagImaAdpcm = 0x11;
constexpr int kTagExtensible = 0xFFFE;

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t u32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int16_t clampToInt16(int value) { return static_cast<std::int16_t>(std::clamp(value, -32768, 32767)); }

bool parseFormat(const std::uint8_t* fmt, std::uint32_t size, QXWavFormat& format) {
    if (size < 16) return false;
    int tag = u16(fmt);
    format.channels = u16(fmt + 2);
    std::uint32_t rate = u32(fmt + 4);
    int blockAlign = u16(fmt + 12);
    format.bitsPerSample = u16(fmt + 14);
    if (tag == kTagExtensible) {
        if (size < 40) return false;
        tag = u16(fmt + 24);  // first bytes of the sub-format GUID
    }
    if (format.channels < 1 || format.channels > 2) return false;
    if (rate < static_cast<std::uint32_t>(kMinSoundRate) || rate > static_cast<std::uint32_t>(kMaxSoundRate))
        return false;
    format.rate = static_cast<int>(rate);
    const int bits = format.bitsPerSample;
    switch (tag) {
    case kTagPcm:
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
        format.encoding = QXWavEncoding::Pcm;
        format.blockBytes = bits / 8 * format.channels;
        return true;
    case kTagFloat:
        if (bits != 32) return false;
        format.encoding = QXWavEncoding::Float;
        format.blockBytes = 4 * format.channels;
        return true;
    case kTagImaAdpcm:
        // Each channel's block starts with a 4-byte header; the rest holds two
        // samples a byte, in 4-byte groups per channel.
        if (bits != 4 || blockAlign <= 4 * format.channels || blockAlign % (4 * format.channels) != 0) return false;
        format.encoding = QXWavEncoding::ImaAdpcm;
        format.blockBytes = blockAlign;
        format.framesPerBlock = (blockAlign - 4 * format.channels) * 2 / format.channels + 1;
        return true;
    default:
        return false;
    }
}

constexpr std::array<int, 89> kImaSteps = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr std::array<int, 16> kImaIndexSteps = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

struct ImaChannel {
    int predictor = 0;
    int index = 0;
    std::int16_t decode(int nibble) {
        int step = kImaSteps[index];
        int diff = step >> 3;
        if (nibble & 4) diff += step;
        if (nibble & 2) diff += step >> 1;
        if (nibble & 1) diff += step >> 2;
        predictor = std::clamp(nibble & 8 ? predictor - diff : predictor + diff, -32768, 32767);
        index = std::clamp(index + kImaIndexSteps[nibble], 0, 88);
        return static_cast<std::int16_t>(predictor);
    }
};

// Decodes one IMA ADPCM block; `out` takes framesPerBlock frames.
void decodeImaBlock(const QXWavFormat& format, const std::uint8_t* block, std::int16_t* out) {
    const int channels = format.channels;
    std::array<ImaChannel, 2> state;
    for (int c = 0; c < channels; ++c) {
        const std::uint8_t* header = block + 4 * c;
        state[c].predictor = static_cast<std::int16_t>(u16(header));
        state[c].index = std::min<int>(header[2], 88);
        out[c] = static_cast<std::int16_t>(state[c].predictor);
    }
    const std::uint8_t* data = block + 4 * channels;
    const int groups = (format.blockBytes - 4 * channels) / (4 * channels);
    for (int g = 0; g < groups; ++g) {
        for (int c = 0; c < channels; ++c) {
            const std::uint8_t* bytes = data + (g * channels + c) * 4;
            for (int i = 0; i < 8; ++i) {
                int nibble = i & 1 ? bytes[i / 2] >> 4 : bytes[i / 2] & 0xF;
                out[(1 + g * 8 + i) * channels + c] = state[c].decode(nibble);
            }
        }
    }
}

class WavSource final : public QXSoundSource {
public:
    WavSource(std::unique_ptr<QXByteReader> reader, const QXWavFormat& format, std::uint64_t dataStart,
              std::uint64_t dataBytes)
        : reader_(std::move(reader)), format_(format), dataStart_(dataStart), dataBytes_(dataBytes) {}

    QXPcmFormat format() const override { return {format_.rate, format_.channels}; }

    int read(std::int16_t* out, int frames) override {
        return format_.encoding == QXWavEncoding::ImaAdpcm ? readAdpcm(out, frames) : readLinear(out, frames);
    }

    bool rewind() override {
        consumed_ = 0;
        pendingFrames_ = pendingUsed_ = 0;
        failed_ = !reader_->seek(dataStart_);
        return !failed_;
    }

    bool start() { return rewind(); }

private:
    // Reads whole blocks of the data chunk; fewer bytes than asked at its end.
    std::size_t readData(std::uint8_t* into, std::size_t blocks) {
        if (failed_) return 0;
        std::uint64_t left = (dataBytes_ - consumed_) / format_.blockBytes;
        std::size_t bytes = static_cast<std::size_t>(std::min<std::uint64_t>(blocks, left)) * format_.blockBytes;
        std::size_t got = reader_->read(into, bytes);
        consumed_ += got;
        if (got < bytes) failed_ = true;
        return got / format_.blockBytes;
    }

    int readLinear(std::int16_t* out, int frames) {
        const int channels = format_.channels;
        const int bytesPerSample = format_.blockBytes / channels;
        int done = 0;
        while (done < frames) {
            int want = std::min(frames - done, 1024);
            bytes_.resize(static_cast<std::size_t>(want) * format_.blockBytes);
            int got = static_cast<int>(readData(bytes_.data(), want));
            const std::uint8_t* p = bytes_.data();
            std::int16_t* o = out + done * channels;
            for (int i = 0; i < got * channels; ++i, p += bytesPerSample) o[i] = convert(p);
            done += got;
            if (got < want) break;
        }
        return done;
    }

    std::int16_t convert(const std::uint8_t* p) const {
        if (format_.encoding == QXWavEncoding::Float) {
            float value;
            std::memcpy(&value, p, 4);
            if (!(value == value)) return 0;  // NaN
            return clampToInt16(static_cast<int>(std::lrint(std::clamp(value, -2.0f, 2.0f) * 32768.0f)));
        }
        switch (format_.bitsPerSample) {
        case 8: return static_cast<std::int16_t>((p[0] - 128) * 256);
        case 16: return static_cast<std::int16_t>(u16(p));
        case 24: return static_cast<std::int16_t>(u16(p + 1));
        default: return static_cast<std::int16_t>(u16(p + 2));
        }
    }

    int readAdpcm(std::int16_t* out, int frames) {
        const int channels = format_.channels;
        int done = 0;
        while (done < frames) {
            if (pendingUsed_ == pendingFrames_) {
                block_.resize(format_.blockBytes);
                pending_.resize(static_cast<std::size_t>(format_.framesPerBlock) * channels);
                if (readData(block_.data(), 1) != 1) break;
                decodeImaBlock(format_, block_.data(), pending_.data());
                pendingFrames_ = format_.framesPerBlock;
                pendingUsed_ = 0;
            }
            int take = std::min(frames - done, pendingFrames_ - pendingUsed_);
            std::memcpy(out + done * channels, pending_.data() + pendingUsed_ * channels,
                        sizeof(std::int16_t) * take * channels);
            pendingUsed_ += take;
            done += take;
        }
        return done;
    }

    std::unique_ptr<QXByteReader> reader_;
    QXWavFormat format_;
    std::uint64_t dataStart_;
    std::uint64_t dataBytes_;
    std::uint64_t consumed_ = 0;
    bool failed_ = false;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint8_t> block_;
    std::vector<std::int16_t> pending_;
    int pendingFrames_ = 0;
    int pendingUsed_ = 0;
};
}  // namespace

bool looksLikeWav(const std::uint8_t* head, std::size_t size) {
    return size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

std::unique_ptr<QXSoundSource> openWavSource(std::unique_ptr<QXByteReader> reader) {
    if (!reader) return nullptr;
    const std::uint64_t fileSize = reader->size();
    std::uint8_t header[12];
    if (reader->read(header, 12) != 12 || !looksLikeWav(header, 12)) return nullptr;

    QXWavFormat format;
    bool haveFormat = false;
    std::uint64_t position = 12;
    while (position + 8 <= fileSize) {
        std::uint8_t chunk[8];
        if (!reader->seek(position) || reader->read(chunk, 8) != 8) return nullptr;
        const std::uint64_t size = u32(chunk + 4);
        const std::uint64_t body = position + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            // The format must be whole and sensible; extra bytes past 40 are ignored.
            if (haveFormat || size < 16 || body + size > fileSize) return nullptr;
            std::uint8_t fmt[40] = {};
            std::uint32_t keep = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, sizeof fmt));
            if (reader->read(fmt, keep) != keep || !parseFormat(fmt, keep, format)) return nullptr;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return nullptr;
            std::uint64_t bytes = std::min(size, fileSize - body);
            auto source = std::make_unique<WavSource>(std::move(reader), format, body, bytes);
            if (!source->start()) return nullptr;
            return source;
        }
        position = body + size + (size & 1);  // chunks are padded to even sizes
    }
    return nullptr;
}
