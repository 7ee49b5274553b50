// MP3 through the platform's decoder (the system's ACM codec, libmpg123): files made by lame decode to their tone
// (pitch, length, level); the framing finds the first frame past a tag and
// refuses what has no two consistent frames; damaged files decode short or
// not at all.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "AudioTestSupport.h"
#include "audio/engine/QXMp3Frames.h"
#include "audio/engine/QXSoundFile.h"

using namespace audiotest;

namespace {
#ifdef _WIN32
std::string dataFile(const std::string& name) { return std::string("Z:") + QX_AUDIO_DATA_DIR + "/" + name; }
#else
std::string dataFile(const std::string& name) { return std::string(QX_AUDIO_DATA_DIR) + "/" + name; }
#endif

std::unique_ptr<QXSoundSource> openMp3(const std::string& path) {
    std::vector<std::uint8_t> head = readFile(path);
    head.resize(std::min<std::size_t>(head.size(), 64));
    return openMp3Source(path.c_str(), head.data(), head.size());
}

// The samples from the first to the last louder than 500.
std::vector<std::int16_t> audible(const std::vector<std::int16_t>& s) {
    std::size_t first = 0, last = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (std::abs(s[i]) > 500) {
            if (!first) first = i;
            last = i;
        }
    return first < last ? std::vector<std::int16_t>(s.begin() + first, s.begin() + last + 1) : s;
}

double rms(const std::vector<std::int16_t>& s) { return s.empty() ? 0 : std::sqrt(energy(s) / s.size()); }
}  // namespace

TEST(AudioMp3, FilesMadeByLameDecodeToTheirTone) {
    if (readFile(dataFile("e2e_tone.mp3")).empty()) GTEST_SKIP() << "lame made no test files";
    struct Case {
        const char* mp3;
        const char* wav;
        int rate, channels;
        double seconds, hz;
        std::int64_t frames;  // every MPEG frame's 1152 or 576, as both systems' decoders give them
    };
    for (const Case& c : {Case{"e2e_tone.mp3", "e2e_tone.wav", 44100, 1, 1.0, 440, 41 * 1152},
                          Case{"tone.mp3", "tone16.wav", 22050, 1, 0.5, 440, 23 * 576},
                          Case{"stereo.mp3", "stereo16.wav", 22050, 2, 1.0, 440, 42 * 576}}) {
        auto source = openMp3(dataFile(c.mp3));
        ASSERT_TRUE(source) << c.mp3 << ": no ACM codec took it";
        EXPECT_EQ(source->format().rate, c.rate) << c.mp3;
        EXPECT_EQ(source->format().channels, c.channels) << c.mp3;
        auto pcm = readWhole(*source);
        ASSERT_TRUE(pcm) << c.mp3;
        const double seconds = static_cast<double>(pcm->frames()) / c.rate;
        EXPECT_NEAR(seconds, c.seconds, 0.12) << c.mp3;  // the codec's delay and padding
        // The encoder's info frame (as silence), its delay and its padding
        // included: the same length on Windows and Linux.
        EXPECT_EQ(pcm->frames(), c.frames) << c.mp3;
        std::vector<std::int16_t> first = c.channels == 2 ? side(pcm->samples, 0) : pcm->samples;
        // The pitch over the sounding part (the codec's delay is near-silent noise).
        std::vector<std::int16_t> sounding = audible(first);
        EXPECT_NEAR(risingCrossings(sounding) * static_cast<double>(c.rate) / sounding.size(), c.hz, c.hz * 0.02)
            << c.mp3;
        auto original = readWhole(*openSoundFile(dataFile(c.wav).c_str()));
        ASSERT_TRUE(original);
        std::vector<std::int16_t> reference = c.channels == 2 ? side(original->samples, 0) : original->samples;
        EXPECT_NEAR(rms(sounding) / rms(audible(reference)), 1.0, 0.1) << c.mp3;
        // Rewound, it decodes again from the start.
        ASSERT_TRUE(source->rewind());
        std::vector<std::int16_t> again(2 * 1000);
        EXPECT_EQ(source->read(again.data(), 1000), 1000) << c.mp3;
    }
}

TEST(AudioMp3, FramingFindsTheFirstFrameAndRefusesNoise) {
    // MPEG-1 layer III, 128 kbps, 44.1 kHz, no padding, joint stereo: 417 bytes a frame.
    const std::uint8_t frame[4] = {0xFF, 0xFB, 0x90, 0x40};
    auto header = parseMp3Header(frame);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->rate, 44100);
    EXPECT_EQ(header->bitrateKbps, 128);
    EXPECT_EQ(header->frameBytes, 417);
    EXPECT_EQ(header->channels, 2);
    for (auto bad : {std::vector<std::uint8_t>{0xFF, 0xFB, 0x00, 0x40}, {0xFF, 0xFB, 0xF0, 0x40},
                     {0xFF, 0xFB, 0x9C, 0x40}, {0xFF, 0xFD, 0x90, 0x40}, {0xFF, 0xEB, 0x90, 0x40}})
        EXPECT_FALSE(parseMp3Header(bad.data()));

    // An ID3 tag of 20 bytes, junk, then two frames.
    std::vector<std::uint8_t> file = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    file.resize(30, 0);
    file.insert(file.end(), {1, 2, 3});
    for (int i = 0; i < 2; ++i) {
        file.insert(file.end(), frame, frame + 4);
        file.resize(file.size() + 413, 0);
    }
    file.insert(file.end(), frame, frame + 4);
    QXMemoryReader reader(file.data(), file.size());
    auto stream = findMp3Stream(reader);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->firstFrame, 33u);

    // One frame alone, a tag claiming more than the file, noise: nothing.
    std::vector<std::uint8_t> lone(frame, frame + 4);
    lone.resize(600, 0x11);
    QXMemoryReader loneReader(lone.data(), lone.size());
    EXPECT_FALSE(findMp3Stream(loneReader));
    std::vector<std::uint8_t> hugeTag = {'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
    QXMemoryReader tagReader(hugeTag.data(), hugeTag.size());
    EXPECT_FALSE(findMp3Stream(tagReader));
}

TEST(AudioMp3, DamagedFilesDecodeShortOrNotAtAll) {
    std::vector<std::uint8_t> mp3 = readFile(dataFile("tone.mp3"));
    if (mp3.empty()) GTEST_SKIP() << "lame made no test files";
    const std::string path = tempPath("qx_damaged.mp3");
    for (std::size_t size : {std::size_t{0}, std::size_t{3}, std::size_t{200}, mp3.size() / 2}) {
        ASSERT_TRUE(writeFile(path, std::vector<std::uint8_t>(mp3.begin(), mp3.begin() + size)));
        if (auto source = openMp3(path)) readWhole(*source);
    }
    std::vector<std::uint8_t> flipped = mp3;
    for (std::size_t i = 100; i < flipped.size(); i += 37) flipped[i] ^= 0xA5;
    ASSERT_TRUE(writeFile(path, flipped));
    if (auto source = openMp3(path)) readWhole(*source);
    std::remove(path.c_str());
}
