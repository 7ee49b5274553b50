// The sound engine's operations offline (no device): samples loaded from
// files with their defaults, loop mode, streams decoded while they play,
// freeing while playing, and closing with everything still loaded.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "AudioTestSupport.h"
#include "audio/engine/QXMixEngine.h"
#include "audio/engine/QXSoundSource.h"

using namespace audiotest;

namespace {
std::string writeWav(const std::string& name, int rate, int channels, const std::vector<std::int16_t>& samples) {
    WavImage image;
    image.rate = rate;
    image.channels = channels;
    image.data = pcm16Bytes(samples);
    std::string path = tempPath(name);
    EXPECT_TRUE(writeFile(path, image.bytes()));
    return path;
}

std::vector<std::int16_t> renderLeft(QXMixEngine& engine, int frames) {
    std::vector<std::int16_t> out(2 * frames);
    engine.render(out.data(), frames);
    return side(out, 0);
}

std::vector<std::int16_t> ramp(int frames) {
    std::vector<std::int16_t> out(frames);
    for (int i = 0; i < frames; ++i) out[i] = static_cast<std::int16_t>(i % 30000);
    return out;
}

class AudioEngine : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.engineInit(44100, 256, 1)); }
    QXMixEngine engine;
};
}  // namespace

TEST_F(AudioEngine, SamplesLoadWithTheirRateAsDefaultAndPlayWithTheirDefaults) {
    const std::string path = writeWav("qx_engine_tone.wav", 22050, 1, sine(22050, 441, 22050));
    QXEngineSample* sample = engine.sampleLoad(-1, path.c_str(), 0, 0, 0);
    ASSERT_NE(sample, nullptr);
    QXSampleDefaults defaults = engine.sampleGetDefaults(sample);
    EXPECT_EQ(defaults.frequency, 22050);
    EXPECT_EQ(defaults.volume, 255);
    EXPECT_EQ(defaults.pan, 128);

    int channel = engine.samplePlay(-1, sample, false);
    ASSERT_GE(channel, 0);
    // At its own rate: 441 Hz, half a second of output per 0.5 s.
    EXPECT_NEAR(risingCrossings(renderLeft(engine, 22050)), 220.5, 1.5);
    engine.channelStop(channel);

    // New defaults: an octave up, silent on the left.
    engine.sampleSetDefaults(sample, {44100, 255, 255, 128});
    channel = engine.samplePlay(-1, sample, false);
    std::vector<std::int16_t> out(2 * 4410);
    engine.render(out.data(), 4410);
    EXPECT_EQ(energy(side(out, 0)), 0);
    EXPECT_NEAR(risingCrossings(side(out, 1)), 88.2, 1.5);
    std::remove(path.c_str());
}

TEST_F(AudioEngine, LoopModeKeepsLaterPlaysGoing) {
    const std::string path = writeWav("qx_engine_short.wav", 44100, 1, constant(100, 3000));
    QXEngineSample* sample = engine.sampleLoad(-1, path.c_str(), 0, 0, 0);
    ASSERT_NE(sample, nullptr);
    int once = engine.samplePlay(-1, sample, false);
    renderLeft(engine, 200);
    EXPECT_FALSE(engine.channelIsPlaying(once));
    engine.sampleSetMode(sample, kSampleLoopNormal);
    int looped = engine.samplePlay(-1, sample, false);
    EXPECT_EQ(renderLeft(engine, 1000)[999], 3000);
    EXPECT_TRUE(engine.channelIsPlaying(looped));
    // Freeing the sample stops what plays it.
    engine.sampleFree(sample);
    EXPECT_FALSE(engine.channelIsPlaying(looped));
    EXPECT_EQ(energy(renderLeft(engine, 100)), 0);
    std::remove(path.c_str());
}

TEST_F(AudioEngine, StreamsPlayTheFileOnceAndAgainFromTheStart) {
    const std::vector<std::int16_t> frames = ramp(100000);  // longer than any decode window
    const std::string path = writeWav("qx_engine_stream.wav", 44100, 1, frames);
    QXEngineStream* stream = engine.streamOpen(path.c_str(), 0, 0, 0);
    ASSERT_NE(stream, nullptr);
    int channel = engine.streamPlay(-1, stream, false);
    ASSERT_GE(channel, 0);
    std::vector<std::int16_t> heard = renderLeft(engine, 100500);
    for (int i = 0; i < 100000; ++i) ASSERT_EQ(heard[i], frames[i]) << i;
    EXPECT_EQ(heard[100100], 0);
    EXPECT_FALSE(engine.channelIsPlaying(channel));

    channel = engine.streamPlay(-1, stream, true);  // paused at first
    EXPECT_EQ(energy(renderLeft(engine, 100)), 0);
    engine.channelSetPaused(channel, false);
    heard = renderLeft(engine, 10);
    EXPECT_EQ(heard[5], frames[5]);
    engine.streamClose(stream);
    EXPECT_FALSE(engine.channelIsPlaying(channel));
    std::remove(path.c_str());
}

TEST_F(AudioEngine, BadFilesAndForeignPointersAreRefused) {
    EXPECT_EQ(engine.sampleLoad(-1, tempPath("qx_engine_missing.wav").c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(engine.streamOpen("", 0, 0, 0), nullptr);
    EXPECT_EQ(engine.songLoad("theme.mod"), nullptr);  // no song player here
    auto* foreign = reinterpret_cast<QXEngineSample*>(&engine);
    EXPECT_LT(engine.samplePlay(-1, foreign, false), 0);
    engine.sampleFree(foreign);
    engine.streamClose(reinterpret_cast<QXEngineStream*>(&engine));
    EXPECT_EQ(engine.objectCount(), 0);
}

TEST_F(AudioEngine, CloseReleasesEverythingAndStopsTheSound) {
    const std::string path = writeWav("qx_engine_close.wav", 44100, 2, constant(2000, 1000));
    QXEngineSample* sample = engine.sampleLoad(-1, path.c_str(), 0, 0, 0);
    engine.sampleSetMode(sample, kSampleLoopNormal);
    engine.samplePlay(-1, sample, false);
    engine.streamPlay(-1, engine.streamOpen(path.c_str(), 0, 0, 0), false);
    EXPECT_EQ(engine.objectCount(), 2);
    engine.engineClose();
    EXPECT_EQ(engine.objectCount(), 0);
    EXPECT_FALSE(engine.running());
    EXPECT_EQ(engine.sampleLoad(-1, path.c_str(), 0, 0, 0), nullptr);  // closed: nothing loads
    ASSERT_TRUE(engine.engineInit(44100, 256, 1));
    EXPECT_EQ(energy(renderLeft(engine, 100)), 0);
    std::remove(path.c_str());
}

TEST_F(AudioEngine, ADeviceThatCannotOpenKeepsTheEngineDown) {
    struct NoDevice final : QXAudioDevice {
        bool open(int) override { return false; }
        int writableFrames() override { return 0; }
        void write(const std::int16_t*, int) override {}
        void close() override {}
    };
    QXMixEngine withoutDevice([] { return std::make_unique<NoDevice>(); });
    EXPECT_FALSE(withoutDevice.engineInit(44100, 256, 1));
    QXMixEngine nullFactory([] { return std::unique_ptr<QXAudioDevice>(); });
    EXPECT_FALSE(nullFactory.engineInit(44100, 256, 1));
    EXPECT_FALSE(nullFactory.running());
}

// A decoder block may end inside a stereo frame (a codec handing out an odd
// number of samples): the half frame waits for the next block, frames stay in
// step, and a reader asking for more than is whole gets what is whole.
TEST(FrameQueue, ABlockEndingInsideAFrameKeepsThePartForTheNext) {
    QXFrameQueue queue(2);
    const std::int16_t first[] = {1, -1, 2, -2, 3};
    queue.append(first, 5);
    EXPECT_EQ(queue.frames(), 2u);
    std::int16_t out[8] = {};
    EXPECT_EQ(queue.take(out, 4), 2u);
    EXPECT_EQ(queue.frames(), 0u);
    EXPECT_EQ(queue.take(out, 4), 0u);  // the lone sample is no frame
    const std::int16_t second[] = {-3, 4, -4};
    queue.append(second, 3);
    EXPECT_EQ(queue.take(out + 4, 4), 2u);
    const std::int16_t expected[8] = {1, -1, 2, -2, 3, -3, 4, -4};
    EXPECT_TRUE(std::equal(out, out + 8, expected));
    queue.clear();
    EXPECT_EQ(queue.frames(), 0u);
    QXFrameQueue mono(1);
    mono.append(first, 5);
    EXPECT_EQ(mono.take(out, 3), 3u);
    EXPECT_EQ(mono.take(out, 3), 2u);
}
