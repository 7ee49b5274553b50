// The game example's sounds and music (examples/assets/make-game-assets)
// through the sound engine, offline: under Wine the game runs without a
// sound device, so only here are they heard. The effects are short and end;
// the module sounds through its whole order, every half second, then ends.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AudioTestSupport.h"
#include "audio/engine/QXMixEngine.h"
#include "audio/engine/QXTrackerSong.h"

using namespace audiotest;

namespace {
std::string assetPath(const std::string& name) {
    return std::string("Z:") + QX_SOURCE_DIR + "/examples/assets/game/" + name;
}

// Half a second of the left channel.
std::vector<std::int16_t> halfSecond(QXMixEngine& engine) {
    std::vector<std::int16_t> out(2 * 22050);
    engine.render(out.data(), 22050);
    return side(out, 0);
}
}  // namespace

TEST(GameAssets, TheEffectsSoundBrieflyAndEnd) {
    QXMixEngine engine;
    ASSERT_TRUE(engine.engineInit(44100, 256, 1));
    for (const char* name : {"shoot.wav", "boom.ogg"}) {
        QXEngineSample* sample = engine.sampleLoad(-1, assetPath(name).c_str(), 0, 0, 0);
        ASSERT_NE(sample, nullptr) << name;
        EXPECT_EQ(engine.sampleGetDefaults(sample).frequency, 22050) << name;
        const int channel = engine.samplePlay(-1, sample, false);
        ASSERT_GE(channel, 0) << name;
        EXPECT_GT(energy(halfSecond(engine)), 0) << name;
        halfSecond(engine);
        EXPECT_FALSE(engine.channelIsPlaying(channel)) << name << " lasts under a second";
        engine.sampleFree(sample);
    }
}

TEST(GameAssets, TheMusicPlaysItsWholeOrderWithoutAGapAndEnds) {
    if (!trackerSongLoader()) GTEST_SKIP() << "built without libxmp";
    QXMixEngine engine(nullptr, {trackerSongLoader()});
    ASSERT_TRUE(engine.engineInit(44100, 256, 1));
    QXEngineSong* song = engine.songLoad(assetPath("music.mod").c_str());
    ASSERT_NE(song, nullptr);
    engine.songSetLooping(song, false);
    ASSERT_TRUE(engine.songPlay(song));
    // Four patterns of 64 rows, 6 ticks a row at 125 BPM: 30.72 seconds.
    for (int half = 0; half < 61; ++half) ASSERT_GT(energy(halfSecond(engine)), 0) << "silent at " << half / 2.0 << " s";
    halfSecond(engine);
    halfSecond(engine);
    EXPECT_FALSE(engine.songIsPlaying(song));
}
