// Tracker modules through libxmp, offline: a small MOD made for the tests
// (a looped square wave at period 428 for 16 rows) plays at its pitch, ends
// or loops as asked, follows its master volume and pause, and damaged
// modules load as nothing.

#include <gtest/gtest.h>

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
    for (const char* name :
         {"regress_negative_c5speed.it", "regress_it_packed_bit_width.it", "regress_mixer_sample_count_overflow.it"}) {
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
