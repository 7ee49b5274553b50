// The software mixer offline: pitch, volume, pan, loops, exact end and stop
// positions, pause, stale handles, 256 channels at once with saturation, and
// the mixer thread feeding a device while the program changes channels.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "AudioTestSupport.h"
#include "audio/engine/QXMixer.h"
#include "audio/engine/QXMixerThread.h"

using namespace audiotest;

namespace {
constexpr int kRate = 44100;

std::vector<std::int16_t> render(QXMixer& mixer, int frames) {
    std::vector<std::int16_t> out(2 * frames);
    mixer.render(out.data(), frames);
    return out;
}

QXVoiceSettings at(int frequency, int volume = 255, int pan = 128, int loop = kLoopOff) {
    QXVoiceSettings s;
    s.frequency = frequency;
    s.volume = volume;
    s.pan = pan;
    s.loopMode = loop;
    return s;
}
}  // namespace

TEST(AudioMixer, PitchFollowsTheChannelFrequencyAndTheSoundsOwnRate) {
    struct Case {
        int soundRate;
        double toneHz;
        int frequency;
        double expectHz;
    };
    const Case cases[] = {
        {44100, 441, 44100, 441},   // as recorded
        {44100, 441, 88200, 882},   // twice the rate: an octave up
        {44100, 441, 22050, 220.5}, // half
        {22050, 1000, 22050, 1000}, // a 22 kHz sound at its own rate keeps its pitch
        {8000, 500, 8000, 500},
        {48000, 300, 44100, 300 * 44100.0 / 48000},
    };
    for (const Case& c : cases) {
        QXMixer mixer(kRate, 8);
        auto pcm = pcmOf(c.soundRate, 1, sine(c.soundRate, c.toneHz, 4 * c.soundRate));
        ASSERT_GE(mixer.playSample(pcm, at(c.frequency), false), 0);
        auto left = side(render(mixer, kRate), 0);  // one second
        EXPECT_NEAR(risingCrossings(left), c.expectHz, 1.5) << c.soundRate << " Hz sound at " << c.frequency;
    }
}

TEST(AudioMixer, VolumeAndPanScaleEachSide) {
    auto tone = pcmOf(kRate, 1, sine(kRate, 440, kRate));
    auto energyAt = [&](int volume, int pan) {
        QXMixer mixer(kRate, 4);
        mixer.playSample(tone, at(kRate, volume, pan), false);
        auto out = render(mixer, kRate / 2);
        return std::pair{energy(side(out, 0)), energy(side(out, 1))};
    };
    const auto full = energyAt(255, 128);
    EXPECT_NEAR(full.first / full.second, 1.0, 0.02);  // centre: both sides
    const auto half = energyAt(128, 128);
    EXPECT_NEAR(half.first / full.first, (128.0 / 255) * (128.0 / 255), 0.01);
    const auto quiet = energyAt(0, 128);
    EXPECT_EQ(quiet.first + quiet.second, 0);
    const auto left = energyAt(255, 0);
    EXPECT_EQ(left.second, 0);
    EXPECT_NEAR(left.first / full.first, 1.0, 0.01);
    const auto right = energyAt(255, 255);
    EXPECT_EQ(right.first, 0);
    EXPECT_NEAR(right.second / full.second, 1.0, 0.01);
    // A quarter of the way from the left: the right side at half its amplitude.
    const auto quarter = energyAt(255, 64);
    EXPECT_NEAR(quarter.second / full.second, (64 / 127.0) * (64 / 127.0), 0.01);
    EXPECT_NEAR(quarter.first / full.first, 1.0, 0.01);
}

TEST(AudioMixer, StereoSoundsKeepTheirSides) {
    std::vector<std::int16_t> stereo;
    for (int i = 0; i < 1000; ++i) {
        stereo.push_back(1000);
        stereo.push_back(-2000);
    }
    QXMixer mixer(kRate, 2);
    mixer.playSample(pcmOf(kRate, 2, stereo), at(kRate), false);
    auto out = render(mixer, 10);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(out[1], -2000);
}

TEST(AudioMixer, ASoundEndsOnItsLastFrameAndLoopsWrapExactly) {
    std::vector<std::int16_t> ramp(100);
    for (int i = 0; i < 100; ++i) ramp[i] = static_cast<std::int16_t>(100 * (i + 1));
    auto pcm = pcmOf(kRate, 1, ramp);

    QXMixer once(kRate, 2);
    int handle = once.playSample(pcm, at(kRate), false);
    auto out = side(render(once, 250), 0);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(out[i], ramp[i]) << i;
    for (int i = 100; i < 250; ++i) ASSERT_EQ(out[i], 0) << i;
    EXPECT_FALSE(once.isPlaying(handle));

    QXMixer looped(kRate, 2);
    handle = looped.playSample(pcm, at(kRate, 255, 128, kLoopNormal), false);
    // Across several mixing blocks, so that wrapping between blocks is covered too.
    out = side(render(looped, 1234), 0);
    for (int i = 0; i < 1234; ++i) ASSERT_EQ(out[i], ramp[i % 100]) << i;
    EXPECT_TRUE(looped.isPlaying(handle));
}

TEST(AudioMixer, StopPauseAndResumeAtExactPositions) {
    std::vector<std::int16_t> ramp(10000);
    for (int i = 0; i < 10000; ++i) ramp[i] = static_cast<std::int16_t>(i);
    QXMixer mixer(kRate, 4);
    int handle = mixer.playSample(pcmOf(kRate, 1, ramp), at(kRate), false);
    auto first = side(render(mixer, 300), 0);
    EXPECT_EQ(first[299], 299);
    mixer.setPaused(handle, true);
    auto paused = side(render(mixer, 200), 0);
    EXPECT_EQ(energy(paused), 0);
    EXPECT_TRUE(mixer.isPlaying(handle));  // paused still counts as playing
    mixer.setPaused(handle, false);
    auto resumed = side(render(mixer, 100), 0);
    EXPECT_EQ(resumed[0], 300);
    mixer.stop(handle);
    EXPECT_FALSE(mixer.isPlaying(handle));
    EXPECT_EQ(energy(side(render(mixer, 100), 0)), 0);

    // Started paused: silent until resumed, then from its first frame.
    handle = mixer.playSample(pcmOf(kRate, 1, ramp), at(kRate), true);
    EXPECT_EQ(energy(side(render(mixer, 50), 0)), 0);
    mixer.setPaused(handle, false);
    EXPECT_EQ(side(render(mixer, 5), 0)[4], 4);
}

TEST(AudioMixer, StaleHandlesNeverReachALaterSound) {
    QXMixer mixer(kRate, 1);
    auto pcm = pcmOf(kRate, 1, constant(10, 1000));
    int first = mixer.playSample(pcm, at(kRate), false);
    render(mixer, 20);  // ends
    int second = mixer.playSample(pcm, at(kRate, 255, 128, kLoopNormal), false);
    ASSERT_GE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(first & 0xFFF, second & 0xFFF);  // same channel
    mixer.stop(first);
    mixer.setVolume(first, 0);
    EXPECT_FALSE(mixer.isPlaying(first));
    EXPECT_TRUE(mixer.isPlaying(second));
    EXPECT_EQ(side(render(mixer, 4), 0)[3], 1000);
    EXPECT_FALSE(mixer.isPlaying(-1));
    EXPECT_FALSE(mixer.isPlaying(0x7FFFFFFF));
}

TEST(AudioMixer, TwoHundredFiftySixChannelsSaturateInsteadOfWrapping) {
    QXMixer mixer(kRate, 256);
    // A square wave of 32000, 100 frames up and 100 down.
    std::vector<std::int16_t> square(200);
    for (int i = 0; i < 200; ++i) square[i] = i < 100 ? 32000 : -32000;
    auto pcm = pcmOf(kRate, 1, square);
    std::vector<int> handles;
    for (int i = 0; i < 256; ++i) handles.push_back(mixer.playSample(pcm, at(kRate, 255, 128, kLoopNormal), false));
    for (int h : handles) ASSERT_GE(h, 0);
    EXPECT_EQ(mixer.playSample(pcm, at(kRate), false), -1);  // all taken, none of lower priority
    auto out = render(mixer, 1000);
    for (int i = 0; i < 1000; ++i) {
        const std::int16_t expect = (i % 200) < 100 ? 32767 : -32768;
        ASSERT_EQ(out[2 * i], expect) << i;
        ASSERT_EQ(out[2 * i + 1], expect) << i;
    }
    // A more important sound takes the channel of the least important one.
    QXVoiceSettings urgent = at(kRate);
    urgent.priority = 200;
    EXPECT_GE(mixer.playSample(pcm, urgent, false), 0);
    QXVoiceSettings minor = at(kRate);
    minor.priority = 10;
    EXPECT_EQ(mixer.playSample(pcm, minor, false), -1);
}

TEST(AudioMixer, SmallSignalsAddExactly) {
    QXMixer mixer(kRate, 256);
    auto pcm = pcmOf(kRate, 1, constant(100, 100));
    for (int i = 0; i < 256; ++i) mixer.playSample(pcm, at(kRate), false);
    auto out = render(mixer, 50);
    EXPECT_EQ(out[0], 25600);
    EXPECT_EQ(out[99], 25600);
}

TEST(AudioMixer, FrequencyChangesWhilePlaying) {
    QXMixer mixer(kRate, 2);
    int handle = mixer.playSample(pcmOf(kRate, 1, sine(kRate, 441, 4 * kRate)), at(kRate), false);
    EXPECT_NEAR(risingCrossings(side(render(mixer, kRate / 2), 0)), 220.5, 1.5);
    mixer.setFrequency(handle, 2 * kRate);
    EXPECT_NEAR(risingCrossings(side(render(mixer, kRate / 2), 0)), 441, 1.5);
    mixer.setFrequency(handle, 0);  // holds still
    EXPECT_LE(risingCrossings(side(render(mixer, 1000), 0)), 1);
}

namespace {
// A device that takes whatever it is offered, 256 frames a poll.
class CountingDevice final : public QXAudioDevice {
public:
    bool open(int) override { return true; }
    int writableFrames() override { return 256; }
    void write(const std::int16_t* frames, int count) override {
        for (int i = 0; i < 2 * count; ++i) peak = std::max<int>(peak, std::abs(frames[i]));
        written += count;
    }
    void close() override {}
    int pollIntervalMs() const override { return 1; }
    std::atomic<std::int64_t> written{0};
    std::atomic<int> peak{0};
};
}  // namespace

TEST(AudioMixer, TheMixerThreadFeedsTheDeviceWhileChannelsChange) {
    QXMixer mixer(kRate, 16);
    CountingDevice device;
    auto pcm = pcmOf(kRate, 1, sine(kRate, 440, 2000));
    {
        QXMixerThread thread(mixer, device);
        for (int round = 0; round < 300; ++round) {
            int h = mixer.playSample(pcm, at(kRate, 200, round % 256, round % 2 ? kLoopNormal : kLoopOff), false);
            mixer.setFrequency(h, 20000 + round * 10);
            mixer.setVolume(h, round % 256);
            mixer.setPan(h, 255 - round % 256);
            if (round % 3 == 0) mixer.stop(h);
            if (round % 7 == 0) mixer.setPaused(h, true);
            mixer.isPlaying(h);
            if (round % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (device.written < 4096 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        mixer.stopAll();
    }
    EXPECT_GE(device.written.load(), 4096);
    EXPECT_GT(device.peak.load(), 0);
}
