#pragma once
// Signals, WAVE files and measurements for the sound engine tests. Portable:
// these tests also run natively (with sanitizers) outside Wine.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/engine/QXSoundSource.h"

namespace audiotest {
constexpr double kPi = 3.14159265358979323846;

inline std::shared_ptr<QXPcm> pcmOf(int rate, int channels, std::vector<std::int16_t> samples) {
    auto pcm = std::make_shared<QXPcm>();
    pcm->format = {rate, channels};
    pcm->samples = std::move(samples);
    return pcm;
}

inline std::vector<std::int16_t> sine(int rate, double hz, int frames, double amplitude = 16000) {
    std::vector<std::int16_t> out(frames);
    for (int i = 0; i < frames; ++i)
        out[i] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * kPi * hz * i / rate)));
    return out;
}

inline std::vector<std::int16_t> constant(int frames, std::int16_t value) {
    return std::vector<std::int16_t>(frames, value);
}

// One side (0 left, 1 right) of interleaved stereo.
inline std::vector<std::int16_t> side(const std::vector<std::int16_t>& stereo, int which) {
    std::vector<std::int16_t> out(stereo.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = stereo[2 * i + which];
    return out;
}

// Sign changes from negative to non-negative: one per period.
inline int risingCrossings(const std::vector<std::int16_t>& signal) {
    int count = 0;
    for (std::size_t i = 1; i < signal.size(); ++i)
        if (signal[i - 1] < 0 && signal[i] >= 0) ++count;
    return count;
}

inline double energy(const std::vector<std::int16_t>& signal) {
    double sum = 0;
    for (std::int16_t s : signal) sum += static_cast<double>(s) * s;
    return sum;
}

// Normalised correlation of two signals over their common length.
inline double correlation(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
    std::size_t n = std::min(a.size(), b.size());
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        ab += static_cast<double>(a[i]) * b[i];
        aa += static_cast<double>(a[i]) * a[i];
        bb += static_cast<double>(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// A RIFF WAVE image built field by field, so tests can break any of them.
struct WavImage {
    int formatTag = 1;
    int channels = 1;
    int rate = 44100;
    int bits = 16;
    int blockAlign = 0;  // 0: channels × bits / 8
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> extraChunk;  // an unknown chunk before "data", if not empty

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out;
        out.reserve(64 + data.size() + extraChunk.size());
        auto put32 = [&](std::uint32_t v) {
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        };
        auto put16 = [&](std::uint32_t v) {
            out.push_back(static_cast<std::uint8_t>(v));
            out.push_back(static_cast<std::uint8_t>(v >> 8));
        };
        auto tag = [&](const char* t) {
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(t[i]));
        };
        const int align = blockAlign ? blockAlign : channels * bits / 8;
        tag("RIFF");
        put32(0);
        tag("WAVE");
        tag("fmt ");
        put32(16);
        put16(formatTag);
        put16(channels);
        put32(rate);
        put32(rate * align);
        put16(align);
        put16(bits);
        if (!extraChunk.empty()) {
            tag("LIST");
            put32(static_cast<std::uint32_t>(extraChunk.size()));
            out.insert(out.end(), extraChunk.begin(), extraChunk.end());
            if (extraChunk.size() & 1) out.push_back(0);
        }
        tag("data");
        put32(static_cast<std::uint32_t>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
        std::uint32_t riff = static_cast<std::uint32_t>(out.size() - 8);
        for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
        return out;
    }
};

inline std::vector<std::uint8_t> pcm16Bytes(const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> out;
    for (std::int16_t s : samples) {
        out.push_back(static_cast<std::uint8_t>(s));
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8));
    }
    return out;
}

inline std::string tempPath(const std::string& name) {
    const char* dir = std::getenv("TEMP");
    if (!dir) dir = std::getenv("TMPDIR");
    std::string base = dir ? dir : "/tmp";
    return base + "/" + name;
}

inline bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

inline std::vector<std::uint8_t> readFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    std::uint8_t buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}
}  // namespace audiotest
