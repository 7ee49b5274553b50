// Tracker modules through libxmp, offline: a small MOD made for the tests
// (a looped square wave at period 428 for 16 rows) plays at its pitch, ends
// or loops as asked, follows its master volume and pause, and damaged
// modules load as nothing.

#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <string>

#include "AudioTestSupport.h"
#include "audio/engine/QXMixEngine.h"
#include "audio/engine/QXMixer.h"
#include "audio/engine/QXTrackerSong.h"

using namespace audiotest;

namespace {
std::string sourcePath(const std::string& relative) {
#ifdef _WIN32
    return std::string("Z:") + QX_SOURCE_DIR + "/" + relative;
#else
    return std::string(QX_SOURCE_DIR) + "/" + relative;
#endif
}
std::string themePath() { return sourcePath("tests/data/audio/theme.mod"); }

class AudioTracker : public testing::Test {
protected:
    void SetUp() override {
        if (!trackerSongLoader()) GTEST_SKIP() << "built without libxmp";
        engine = std::make_unique<QXMixEngine>(nullptr, std::vector<QXSongLoader>{trackerSongLoader()});
        ASSERT_TRUE(engine->engineInit(44100, 256, 1));
        song = engine->songLoad(themePath().c_str());
        ASSERT_NE(song, nullptr);
    }
    std::vector<std::int16_t> left(int frames) {
        std::vector<std::int16_t> out(2 * frames);
        engine->render(out.data(), frames);
        return side(out, 0);
    }
    std::unique_ptr<QXMixEngine> engine;
    QXEngineSong* song = nullptr;
};
}  // namespace

TEST_F(AudioTracker, TheModulePlaysItsNoteOnceAndEnds) {
    engine->songSetLooping(song, false);
    ASSERT_TRUE(engine->songPlay(song));
    EXPECT_TRUE(engine->songIsPlaying(song));
    // Period 428 plays the sample at 7093789.2 / 856 = 8287 Hz; 32 bytes a cycle: 259 Hz.
    std::vector<std::int16_t> first = left(22050);
    EXPECT_GT(energy(first), 0);
    EXPECT_NEAR(risingCrossings(first), 259 / 2.0, 6);
    // 16 rows of 6 ticks at 125 BPM take 1.92 s; by 3 s the song has ended.
    left(44100);
    left(22050);
    EXPECT_FALSE(engine->songIsPlaying(song));
    EXPECT_EQ(energy(left(4410)), 0);
}

TEST_F(AudioTracker, LoopingKeepsItGoingAndPlayStartsOver) {
    engine->songSetLooping(song, true);
    ASSERT_TRUE(engine->songPlay(song));
    for (int i = 0; i < 4; ++i) left(44100);
    EXPECT_TRUE(engine->songIsPlaying(song));
    EXPECT_GT(energy(left(4410)), 0);
    engine->songStop(song);
    EXPECT_FALSE(engine->songIsPlaying(song));
    EXPECT_EQ(energy(left(4410)), 0);
    ASSERT_TRUE(engine->songPlay(song));
    EXPECT_TRUE(engine->songIsPlaying(song));
}

TEST_F(AudioTracker, MasterVolumeAndPause) {
    engine->songSetLooping(song, true);
    ASSERT_TRUE(engine->songPlay(song));
    left(4410);  // past the note's attack
    const double full = energy(left(22050));
    engine->songSetMasterVolume(song, 128);
    left(4410);
    const double half = energy(left(22050));
    EXPECT_NEAR(half / full, 0.25, 0.1);  // half the amplitude
    engine->songSetMasterVolume(song, 0);
    left(4410);
    EXPECT_LT(energy(left(22050)), full * 0.01);
    engine->songSetMasterVolume(song, 256);
    engine->songSetPaused(song, true);
    EXPECT_EQ(energy(left(4410)), 0);
    EXPECT_TRUE(engine->songIsPlaying(song));
    engine->songSetPaused(song, false);
    left(4410);
    EXPECT_GT(energy(left(4410)), 0);
}

TEST_F(AudioTracker, DamagedModulesLoadAsNothingOrPlaySafely) {
    std::vector<std::uint8_t> module = readFile(themePath());
    ASSERT_FALSE(module.empty());
    const std::string path = tempPath("qx_tracker_damaged.mod");
    for (std::size_t size : {std::size_t{0}, std::size_t{100}, std::size_t{1083}, std::size_t{1100}, module.size() - 10}) {
        ASSERT_TRUE(writeFile(path, std::vector<std::uint8_t>(module.begin(), module.begin() + size)));
        if (QXEngineSong* damaged = engine->songLoad(path.c_str())) {
            engine->songPlay(damaged);
            left(44100);
            engine->songFree(damaged);
        }
    }
    // Sample lengths and the order count made absurd.
    std::vector<std::uint8_t> bad = module;
    bad[42] = bad[43] = 0xFF;
    bad[950] = 0xFF;
    ASSERT_TRUE(writeFile(path, bad));
    if (QXEngineSong* damaged = engine->songLoad(path.c_str())) {
        engine->songPlay(damaged);
        left(44100);
    }
    std::remove(path.c_str());
    EXPECT_EQ(engine->songLoad(tempPath("qx_no_such_module.mod").c_str()), nullptr);
}

// The fuzzer's seeds, one of each format (tests/fuzz/make-tracker-seeds), load
// from memory and sound; bytes that are no module load as nothing.
TEST(AudioTrackerMemory, EachFormatLoadsFromMemoryAndSounds) {
    if (!trackerSongLoader()) GTEST_SKIP() << "built without libxmp";
    QXMixer mixer(44100, 2);
    for (const char* name : {"theme.mod", "seed.s3m", "seed.xm", "seed.it"}) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> bytes = readFile(sourcePath(std::string("tests/fuzz/corpus/audio_tracker/") + name));
        ASSERT_FALSE(bytes.empty());
        std::unique_ptr<QXEngineSong> song = loadTrackerSongMemory(bytes.data(), bytes.size(), mixer);
        ASSERT_NE(song, nullptr);
        ASSERT_TRUE(song->play());
        std::vector<std::int16_t> out(2 * 4410);
        mixer.render(out.data(), 4410);
        EXPECT_GT(energy(side(out, 0)), 0);
        song->stop();
    }
    const std::vector<std::uint8_t> text(2000, 'x');
    EXPECT_EQ(loadTrackerSongMemory(text.data(), text.size(), mixer), nullptr);
    EXPECT_EQ(loadTrackerSongMemory(nullptr, 0, mixer), nullptr);
}

// Modules the fuzzer found faults with (tests/fuzz/corpus/audio_tracker/regress_*):
// each loads as nothing or plays a while without a fault.
TEST(AudioTrackerMemory, FuzzerFindingsLoadAsNothingOrPlaySafely) {
    if (!trackerSongLoader()) GTEST_SKIP() << "built without libxmp";
    QXMixer mixer(8000, 2);
    for (const char* name : {"regress_negative_c5speed.it", "regress_it_packed_bit_width.it",
                             "regress_mixer_sample_count_overflow.it", "regress_it_sustain_pingpong_past_end.it",
                             "regress_mod_toneporta_before_any_note.mod", "regress_xm_tempo_without_tick.xm"}) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> bytes = readFile(sourcePath(std::string("tests/fuzz/corpus/audio_tracker/") + name));
        ASSERT_FALSE(bytes.empty());
        if (std::unique_ptr<QXEngineSong> song = loadTrackerSongMemory(bytes.data(), bytes.size(), mixer)) {
            song->setLooping(true);
            if (song->play()) {
                std::vector<std::int16_t> out(2 * 8000);
                mixer.render(out.data(), 8000);
            }
        }
    }
}

namespace {
// An IT module in sample mode: one sample, a ramp from -peak to +peak, with
// a ping-pong sustain loop and perhaps a main loop, held at C-5 (8363 Hz)
// for a whole pattern.
struct PingPongCase {
    const char* name;
    bool wide;  // 16-bit
    int frames;
    int sustainStart, sustainEnd;
    int loopStart, loopEnd;  // a ping-pong main loop too when loopEnd > 0
};

void put16(std::vector<std::uint8_t>& out, std::size_t at, int value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> pingPongModule(const PingPongCase& c) {
    constexpr std::size_t kSampleHeader = 0xC0 + 2 + 8, kPattern = kSampleHeader + 80;
    std::vector<std::uint8_t> m(kPattern);
    std::memcpy(m.data(), "IMPMpingpong", 12);
    put16(m, 0x20, 2);  // orders
    put16(m, 0x24, 1);  // samples
    put16(m, 0x26, 1);  // patterns
    put16(m, 0x28, 0x0214);
    put16(m, 0x2A, 0x0214);
    put16(m, 0x2C, 0x0009);  // stereo, linear slides, no instruments
    m[0x30] = 128;           // global volume
    m[0x31] = 48;            // mixing volume
    m[0x32] = 6;             // speed
    m[0x33] = 125;           // tempo
    m[0x34] = 128;
    for (int ch = 0; ch < 64; ++ch) {
        m[0x40 + ch] = ch < 2 ? 32 : 0xA0;
        m[0x80 + ch] = 64;
    }
    m[0xC0] = 0;
    m[0xC1] = 255;
    put32(m, 0xC2, kSampleHeader);
    put32(m, 0xC6, kPattern);

    const std::size_t h = kSampleHeader;
    std::memcpy(&m[h], "IMPS", 4);
    m[h + 17] = 64;  // global volume
    m[h + 18] = static_cast<std::uint8_t>(0x01 | (c.wide ? 0x02 : 0) | 0x20 | 0x80 | (c.loopEnd > 0 ? 0x10 | 0x40 : 0));
    m[h + 19] = 64;
    m[h + 46] = 1;  // signed
    m[h + 47] = 32;
    put32(m, h + 48, static_cast<std::uint32_t>(c.frames));
    put32(m, h + 52, static_cast<std::uint32_t>(c.loopStart));
    put32(m, h + 56, static_cast<std::uint32_t>(c.loopEnd));
    put32(m, h + 60, 8363);
    put32(m, h + 64, static_cast<std::uint32_t>(c.sustainStart));
    put32(m, h + 68, static_cast<std::uint32_t>(c.sustainEnd));

    // Row 0: channel 1 plays C-5 with sample 1 at volume 64; 63 empty rows.
    std::vector<std::uint8_t> rows = {0x81, 0x07, 60, 1, 64, 0};
    rows.resize(rows.size() + 63, 0);
    m.resize(kPattern + 8);
    put16(m, kPattern, static_cast<int>(rows.size()));
    put16(m, kPattern + 2, 64);
    m.insert(m.end(), rows.begin(), rows.end());

    put32(m, h + 72, static_cast<std::uint32_t>(m.size()));
    const int peak = c.wide ? 20000 : 100;
    for (int i = 0; i < c.frames; ++i) {
        const int value = -peak + 2 * peak * i / (c.frames - 1);
        m.push_back(static_cast<std::uint8_t>(value));
        if (c.wide) m.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    return m;
}

std::vector<std::int16_t> playLeft(QXMixer& mixer, const std::vector<std::uint8_t>& module, int frames) {
    std::unique_ptr<QXEngineSong> song = loadTrackerSongMemory(module.data(), module.size(), mixer);
    if (!song || !song->play()) return {};
    std::vector<std::int16_t> out(2 * frames);
    mixer.render(out.data(), frames);
    song->stop();
    return side(out, 0);
}
}  // namespace

// libxmp plays a ping-pong sustain loop on past the loop's end by as much
// again as the loop is long, from the sample's own data: past the sample's
// end when the loop ends near it. Every such sample plays its note within
// its buffer (the address sanitizer checks natively). (libxmp ends the note
// when a tick starts on the way back; that is left as it is.)
TEST(AudioTrackerMemory, PingPongSustainLoopsStayInsideTheirSample) {
    if (!trackerSongLoader()) GTEST_SKIP() << "built without libxmp";
    QXMixer mixer(44100, 2);
    const PingPongCase cases[] = {
        {"8-bit, whole sample", false, 64, 0, 64, 0, 0},
        {"16-bit, whole sample", true, 64, 0, 64, 0, 0},
        {"16-bit, ends before the sample", true, 64, 0, 48, 0, 0},
        {"8-bit, second half", false, 64, 32, 64, 0, 0},
        {"16-bit, short main ping-pong loop too", true, 64, 0, 64, 0, 32},
        {"16-bit, main ping-pong loop over the sample", true, 64, 0, 64, 0, 64},
        {"8-bit, sustain end past the sample", false, 40, 8, 0x7FFFFFFF, 0, 0},
        {"16-bit, two frames", true, 2, 0, 2, 0, 0},
        {"8-bit, long", false, 30000, 100, 30000, 0, 0},
    };
    for (const PingPongCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::int16_t> left = playLeft(mixer, pingPongModule(c), 22050);
        ASSERT_EQ(left.size(), 22050u);
        EXPECT_GT(energy(std::vector<std::int16_t>(left.begin(), left.begin() + 882)), 0);
    }
}

// Looped over the whole sample, the ramp plays up and back down again as a
// smooth triangle: 64 frames up and 63 down at 8363 Hz take 670 frames at
// 44100 Hz, all within the first tick (882 frames at 125 BPM).
TEST(AudioTrackerMemory, APingPongSustainLoopOverTheWholeSamplePlaysBackDown) {
    if (!trackerSongLoader()) GTEST_SKIP() << "built without libxmp";
    QXMixer mixer(44100, 2);
    const std::vector<std::int16_t> left = playLeft(mixer, pingPongModule({"", true, 64, 0, 64, 0, 0}), 882);
    ASSERT_EQ(left.size(), 882u);
    const auto top = std::max_element(left.begin(), left.end());
    EXPECT_NEAR(top - left.begin(), 337, 10);
    EXPECT_GT(*top, 1000);
    EXPECT_LT(left[660], -*top / 2);  // back at the start of the ramp
    int jump = 0;
    for (std::size_t i = 50; i < left.size(); ++i) jump = std::max(jump, std::abs(left[i] - left[i - 1]));
    EXPECT_LT(jump, *top / 16);
}
