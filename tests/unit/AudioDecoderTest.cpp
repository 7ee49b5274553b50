// Sound file decoders: WAVE in every supported encoding against values
// worked out by hand and against files made by sox (decoded by sox for the
// reference), Ogg Vorbis against sox's decode, and malformed files of every
// kind, which must give no source or a short one, never a crash.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "AudioTestSupport.h"
#include "audio/engine/QXSoundFile.h"
#include "audio/engine/QXVorbisDecoder.h"
#include "audio/engine/QXWavDecoder.h"

using namespace audiotest;

namespace {
std::unique_ptr<QXSoundSource> wavFrom(const std::vector<std::uint8_t>& bytes) {
    return openWavSource(std::make_unique<QXMemoryReader>(bytes.data(), bytes.size()));
}

std::unique_ptr<QXPcm> decodeWav(const std::vector<std::uint8_t>& bytes) {
    auto source = wavFrom(bytes);
    return source ? readWhole(*source) : nullptr;
}

// Files the build made with sox, oggenc and espeak-ng (empty when the tools are missing).
std::string dataFile(const std::string& name) {
#ifdef _WIN32
    return std::string("Z:") + QX_AUDIO_DATA_DIR + "/" + name;
#else
    return std::string(QX_AUDIO_DATA_DIR) + "/" + name;
#endif
}

std::vector<std::int16_t> rawSamples(const std::string& name) {
    std::vector<std::uint8_t> bytes = readFile(dataFile(name));
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}
}  // namespace

TEST(AudioWav, EveryLinearEncodingDecodesToTheExpectedSamples) {
    struct Case {
        const char* name;
        int tag, bits, channels;
        std::vector<std::uint8_t> data;
        std::vector<std::int16_t> expect;
    };
    auto f32 = [](float v) {
        std::uint8_t b[4];
        std::memcpy(b, &v, 4);
        return std::vector<std::uint8_t>(b, b + 4);
    };
    std::vector<std::uint8_t> floats;
    for (float v : {0.5f, -1.0f, 1.0f, 3.0f, std::numeric_limits<float>::quiet_NaN(), -0.25f}) {
        auto b = f32(v);
        floats.insert(floats.end(), b.begin(), b.end());
    }
    const Case cases[] = {
        {"8 bit", 1, 8, 1, {0, 128, 255, 129}, {-32768, 0, 32512, 256}},
        {"16 bit", 1, 16, 1, {0x01, 0x80, 0xFF, 0x7F, 0x34, 0x12}, {-32767, 32767, 0x1234}},
        {"24 bit keeps the top 16 bits", 1, 24, 1, {0xFF, 0x34, 0x12, 0x00, 0x00, 0x80}, {0x1234, -32768}},
        {"32 bit", 1, 32, 1, {0, 0, 0x34, 0x12}, {0x1234}},
        {"float", 3, 32, 1, floats, {16384, -32768, 32767, 32767, 0, -8192}},
        {"16 bit stereo", 1, 16, 2, {0x10, 0, 0xF0, 0xFF, 0x20, 0, 0xE0, 0xFF}, {16, -16, 32, -32}},
    };
    for (const Case& c : cases) {
        WavImage image;
        image.formatTag = c.tag;
        image.bits = c.bits;
        image.channels = c.channels;
        image.rate = 22050;
        image.data = c.data;
        auto pcm = decodeWav(image.bytes());
        ASSERT_TRUE(pcm) << c.name;
        EXPECT_EQ(pcm->format.rate, 22050) << c.name;
        EXPECT_EQ(pcm->format.channels, c.channels) << c.name;
        EXPECT_EQ(pcm->samples, c.expect) << c.name;
    }
}

TEST(AudioWav, UnknownChunksAreSkippedWithTheirPadding) {
    WavImage image;
    image.extraChunk = {1, 2, 3};  // odd: one pad byte follows
    image.data = pcm16Bytes({5, -5, 7});
    auto pcm = decodeWav(image.bytes());
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->samples, (std::vector<std::int16_t>{5, -5, 7}));
}

TEST(AudioWav, MalformedFilesGiveNoSoundOrAShortOne) {
    WavImage good;
    good.channels = 2;
    good.data = pcm16Bytes(sine(44100, 440, 200));
    const std::vector<std::uint8_t> valid = good.bytes();
    ASSERT_TRUE(decodeWav(valid));

    // Every truncation: no header, no sound; a cut data chunk, the frames that are there.
    for (std::size_t size = 0; size < valid.size(); ++size) {
        std::vector<std::uint8_t> cut(valid.begin(), valid.begin() + size);
        auto source = wavFrom(cut);
        if (size < 44) {
            EXPECT_FALSE(source) << size;
        } else if (source) {
            std::vector<std::int16_t> out(400);
            EXPECT_EQ(source->read(out.data(), 200), static_cast<int>((size - 44) / 4)) << size;
        }
    }

    auto patched = [&](std::size_t offset, std::uint32_t value, int width) {
        std::vector<std::uint8_t> bytes = valid;
        for (int i = 0; i < width; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
        return bytes;
    };
    struct Bad {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    const Bad bad[] = {
        {"not RIFF", patched(0, 0x46464952 + 1, 4)},
        {"not WAVE", patched(8, 0, 4)},
        {"fmt larger than the file", patched(16, 0x7FFFFFF0, 4)},
        {"fmt too small", patched(16, 8, 4)},
        {"no channels", patched(22, 0, 2)},
        {"three channels", patched(22, 3, 2)},
        {"rate 0", patched(24, 0, 4)},
        {"rate absurd", patched(24, 100000000, 4)},
        {"12 bits", patched(34, 12, 2)},
        {"unknown encoding", patched(20, 0x55, 2)},
        {"float of 16 bits", patched(20, 3, 2)},
        {"ADPCM with no room for samples", patched(20, 0x11, 2)},
        {"fmt renamed: data before any format", patched(12, 0x20746D67, 4)},
    };
    for (const Bad& b : bad) EXPECT_FALSE(decodeWav(b.bytes)) << b.what;

    // A data chunk claiming 4 GiB ends where the file does.
    auto huge = decodeWav(patched(40, 0xFFFFFFFF, 4));
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->frames(), 100);

    // An unknown chunk whose size runs past the end hides the data: nothing.
    WavImage hidden;
    hidden.extraChunk = {0};
    hidden.data = pcm16Bytes({1, 2});
    std::vector<std::uint8_t> bytes = hidden.bytes();
    bytes[40] = bytes[41] = bytes[42] = 0xFF;  // LIST size
    EXPECT_FALSE(decodeWav(bytes));
}

TEST(AudioWav, AnAdpcmBlockDecodesByTheImaRules) {
    // Mono, one 8-byte block: header (predictor 1000, index 0) then 4 data
    // bytes = 8 nibbles, low nibble first.
    WavImage image;
    image.formatTag = 0x11;
    image.bits = 4;
    image.blockAlign = 8;
    image.data = {0xE8, 0x03, 0, 0, 0x70, 0x08, 0x00, 0x00};
    auto pcm = decodeWav(image.bytes());
    ASSERT_TRUE(pcm);
    // Worked by hand from the IMA tables: nibble 0 at step 7 adds 7>>3 = 0; 7
    // adds 0+7+3+1 = 11 and moves to index 8 (step 16); 8 subtracts 16>>3 = 2;
    // each later 0 adds 1 while the step falls from 14 to 10.
    EXPECT_EQ(pcm->samples, (std::vector<std::int16_t>{1000, 1000, 1011, 1009, 1010, 1011, 1012, 1013, 1014}));
}

TEST(AudioFiles, FilesMadeBySoxDecodeAsSoxDecodesThem) {
    const char* const files[] = {"tone16", "tone8", "tone24", "tonef32", "stereo16", "adpcm", "speech"};
    if (readFile(dataFile("tone16.wav")).empty()) GTEST_SKIP() << "sox made no test files";
    for (const char* name : files) {
        auto source = openSoundFile(dataFile(std::string(name) + ".wav").c_str());
        ASSERT_TRUE(source) << name;
        auto pcm = readWhole(*source);
        ASSERT_TRUE(pcm) << name;
        std::vector<std::int16_t> expect = rawSamples(std::string(name) + ".raw");
        ASSERT_FALSE(expect.empty()) << name;
        // sox drops a final partial ADPCM block's padding frames; compare what both have.
        if (std::string(name) == "adpcm") {
            ASSERT_GE(pcm->samples.size(), expect.size()) << name;
            pcm->samples.resize(expect.size());
        }
        EXPECT_EQ(pcm->samples, expect) << name;
    }
}

TEST(AudioFiles, OggVorbisMatchesSoxsDecode) {
    if (readFile(dataFile("stereo.ogg")).empty()) GTEST_SKIP() << "oggenc made no test file";
    auto source = openSoundFile(dataFile("stereo.ogg").c_str());
    ASSERT_TRUE(source);
    EXPECT_EQ(source->format().channels, 2);
    EXPECT_EQ(source->format().rate, 22050);
    auto pcm = readWhole(*source);
    ASSERT_TRUE(pcm);
    std::vector<std::int16_t> expect = rawSamples("stereo_ogg.raw");
    EXPECT_NEAR(static_cast<double>(pcm->samples.size()), static_cast<double>(expect.size()), 4096);
    EXPECT_GT(correlation(side(pcm->samples, 0), side(expect, 0)), 0.99);
    EXPECT_GT(correlation(side(pcm->samples, 1), side(expect, 1)), 0.99);
    // Rewound, it plays the same frames again.
    ASSERT_TRUE(source->rewind());
    std::vector<std::int16_t> again(2000);
    ASSERT_EQ(source->read(again.data(), 1000), 1000);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), pcm->samples.begin()));
}

TEST(AudioFiles, DamagedOggFilesGiveNoSoundOrAShortOne) {
    std::vector<std::uint8_t> ogg = readFile(dataFile("stereo.ogg"));
    if (ogg.empty()) GTEST_SKIP() << "oggenc made no test file";
    // Cut at many points, and with bytes flipped through the headers.
    for (std::size_t size = 0; size < ogg.size(); size += 97) {
        auto source = openVorbisMemory(ogg.data(), size);
        if (source) readWhole(*source);
    }
    for (std::size_t at = 0; at < std::min<std::size_t>(ogg.size(), 4000); at += 13) {
        std::vector<std::uint8_t> bad = ogg;
        bad[at] ^= 0x5A;
        auto source = openVorbisMemory(bad.data(), bad.size());
        if (source) readWhole(*source);
    }
    // Vendor and comment lengths beyond the comment packet (stb_vorbis would
    // write outside its buffers): refused before decoding.
    const char marker[] = "\x03vorbis";
    auto header = std::search(ogg.begin(), ogg.end(), marker, marker + 7);
    ASSERT_NE(header, ogg.end());
    const std::size_t vendor = static_cast<std::size_t>(header - ogg.begin()) + 7;
    for (std::uint32_t length : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000u}) {
        std::vector<std::uint8_t> bad = ogg;
        for (int i = 0; i < 4; ++i) bad[vendor + i] = static_cast<std::uint8_t>(length >> (8 * i));
        EXPECT_FALSE(openVorbisMemory(bad.data(), bad.size())) << length;
    }
    std::vector<std::uint8_t> junk = {'O', 'g', 'g', 'S', 0, 2, 0, 0};
    EXPECT_FALSE(openVorbisMemory(junk.data(), junk.size()));
}

TEST(AudioFiles, FilesOfNoKnownKindOrMissingGiveNothing) {
    const std::string path = tempPath("qx_audio_not_sound.bin");
    ASSERT_TRUE(writeFile(path, {'n', 'o', 't', ' ', 's', 'o', 'u', 'n', 'd'}));
    EXPECT_FALSE(openSoundFile(path.c_str()));
    ASSERT_TRUE(writeFile(path, {}));
    EXPECT_FALSE(openSoundFile(path.c_str()));
    std::remove(path.c_str());
    EXPECT_FALSE(openSoundFile(tempPath("qx_audio_no_such_file.wav").c_str()));
    EXPECT_FALSE(openSoundFile(""));
}
