// The sound commands in a stand-alone program: on this machine's Wine without
// a sound device (silent, no message), and with Wine's ALSA output written to
// a file, where the captured sound is measured: its length, pitch and level.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/ProgramTestSupport.h"

namespace {
const std::string kTone = std::string(QX_AUDIO_DATA_DIR) + "/e2e_tone.wav";

bool exists(const std::string& windowsName) { return GetFileAttributesA(windowsName.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::int16_t> readSamples(const std::string& windowsName, std::size_t skip) {
    std::vector<std::int16_t> samples;
    std::FILE* file = std::fopen(windowsName.c_str(), "rb");
    if (!file) return samples;
    std::fseek(file, static_cast<long>(skip), SEEK_SET);
    std::int16_t buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 2, 4096, file)) > 0) samples.insert(samples.end(), buffer, buffer + got);
    std::fclose(file);
    return samples;
}

QXRunResult runWithTone() {
    QXRunOptions options;
    options.arguments.push_back(windowsPath(kTone));
    options.timeoutMs = 30000;
    return runBound("audio_commands", options);
}
}  // namespace

TEST(AudioProgram, WithoutASoundDeviceEverythingIsSilentAndNothingFails) {
    if (!exists(windowsPath(kTone))) GTEST_SKIP() << "sox made no test tone";
    QXRunResult run = runWithTone();
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output.find("FAIL"), std::string::npos) << describe(run);
    EXPECT_NE(run.output.find("ok PlayCDTrack answers -1"), std::string::npos) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
}

TEST(AudioProgram, PlayedSoundReachesWinesAlsaOutput) {
    if (!exists(windowsPath(kTone))) GTEST_SKIP() << "sox made no test tone";
    // Wine's ALSA driver reads its configuration on the Unix side, so the
    // test's own ctest entry sets ALSA_CONFIG_PATH before Wine starts: the
    // default device becomes this WAVE file, written through the null device.
    char capturePath[1024] = {};
    if (!GetEnvironmentVariableA("QX_AUDIO_CAPTURE", capturePath, sizeof capturePath))
        GTEST_SKIP() << "runs as the AudioCapture test, which sets up the capture";
    const std::string capture = capturePath;
    DeleteFileA(windowsPath(capture).c_str());
    QXRunResult run = runWithTone();
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.output.find("FAIL"), std::string::npos) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    if (run.output.find("silent") != std::string::npos)
        GTEST_SKIP() << "Wine found no ALSA output here: " << describe(run);
    EXPECT_NE(run.output.find("ok the sound ends by itself"), std::string::npos) << describe(run);

    // The captured stereo frames after the 44-byte header.
    std::vector<std::int16_t> samples = readSamples(windowsPath(capture), 44);
    ASSERT_GT(samples.size(), 44100u) << "captured " << samples.size() << " samples";
    std::vector<std::int16_t> left(samples.size() / 2), right(samples.size() / 2);
    for (std::size_t i = 0; i < left.size(); ++i) {
        left[i] = samples[2 * i];
        right[i] = samples[2 * i + 1];
    }
    std::size_t first = 0, last = 0;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (std::abs(left[i]) > 500) {
            if (!first) first = i;
            last = i;
        }
    }
    // One second of 440 Hz at half of sox's half volume (about 8160), both
    // sides. Measured per cycle, by medians, so that a glitch of a loaded
    // machine (the output ran dry for a moment) cannot decide the result.
    std::vector<double> periods;
    std::vector<int> peaksLeft, peaksRight;
    std::size_t cycleStart = 0;
    int peakLeft = 0, peakRight = 0;
    for (std::size_t i = first + 1; i <= last; ++i) {
        peakLeft = std::max(peakLeft, std::abs(static_cast<int>(left[i])));
        peakRight = std::max(peakRight, std::abs(static_cast<int>(right[i])));
        if (left[i - 1] < 0 && left[i] >= 0) {
            if (cycleStart) {
                periods.push_back(static_cast<double>(i - cycleStart));
                peaksLeft.push_back(peakLeft);
                peaksRight.push_back(peakRight);
            }
            cycleStart = i;
            peakLeft = peakRight = 0;
        }
    }
    ASSERT_GT(periods.size(), 100u);
    auto median = [](auto values) {
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    };
    EXPECT_NEAR(44100 / median(periods), 440.0, 440 * 0.02);
    EXPECT_NEAR(median(peaksLeft), 8160, 100);
    EXPECT_NEAR(median(peaksRight), 8160, 100);
    EXPECT_NEAR(static_cast<double>(last - first) / 44100, 1.0, 0.1);
}
