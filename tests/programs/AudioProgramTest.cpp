// The sound commands in a stand-alone program: on a machine without a sound
// device (silent, no message), and with ALSA's output written to a file
// (Wine's under Windows, SDL's on the Linux host), where the captured sound
// is measured: its length, pitch and level.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/ProgramTestSupport.h"

namespace {
const std::string kTone = std::string(QX_AUDIO_DATA_DIR) + "/e2e_tone.wav";

bool exists(const std::string& name) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

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

// Set where the test's set-up leaves no sound device for certain, or gives
// one for certain.
bool expectSilence() {
    const char* silent = std::getenv("QX_AUDIO_EXPECT_SILENT");
    return silent && *silent == '1';
}
bool expectSound() {
    const char* sound = std::getenv("QX_AUDIO_EXPECT_SOUND");
    return sound && *sound == '1';
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
    if (expectSilence()) {
        EXPECT_NE(run.output.find("silent"), std::string::npos) << describe(run);
    }
}

TEST(AudioProgram, PlayedSoundReachesAlsaOutput) {
    if (!exists(windowsPath(kTone))) GTEST_SKIP() << "sox made no test tone";
    // ALSA reads its configuration on the Unix side, so the test's own ctest
    // entry sets ALSA_CONFIG_PATH before Wine (or qxlinux) starts: the
    // default device becomes this WAVE file, written through the null device.
    const char* capturePath = std::getenv("QX_AUDIO_CAPTURE");
    if (!capturePath || !*capturePath)
        GTEST_SKIP() << "runs as the AudioCapture test, which sets up the capture";
    const std::string capture = capturePath;
    std::remove(windowsPath(capture).c_str());
    QXRunResult run = runWithTone();
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.output.find("FAIL"), std::string::npos) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    // Wine may find no ALSA output on a machine; the Linux host's capture
    // needs nothing but alsa-lib, so there silence is a fault.
    if (run.output.find("silent") != std::string::npos) {
        if (expectSound()) FAIL() << "no ALSA output: " << describe(run);
        GTEST_SKIP() << "Wine found no ALSA output here: " << describe(run);
    }
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

namespace {
std::vector<unsigned char> readBytes(const std::string& name) {
    std::vector<unsigned char> bytes;
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) return bytes;
    unsigned char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}

bool writeBytes(const std::string& name, const std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
}  // namespace

TEST(AudioProgram, EveryKindOfFilePlaysOrGivesItsFailureValue) {
    const std::string data = std::string(QX_AUDIO_DATA_DIR) + "/";
    const std::vector<unsigned char> mp3 = readBytes(windowsPath(data + "e2e_tone.mp3"));
    const std::vector<unsigned char> ogg = readBytes(windowsPath(data + "stereo.ogg"));
    if (mp3.empty() || ogg.empty()) GTEST_SKIP() << "lame or oggenc made no test sounds";
    // A folder of its own for each run: runs under several set-ups (and both
    // hosts) may go at once on one build.
    const std::string folder = std::string(QX_AUDIO_DATA_DIR) + "-formats-" +
                               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::string dir = windowsPath(folder);
    std::filesystem::create_directories(dir);
    struct Cleanup {
        std::string dir;
        ~Cleanup() {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        }
    } cleanup{dir};
    // The smallest Standard MIDI File: one track with only its end.
    const std::vector<unsigned char> midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                             'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
    const std::vector<unsigned char> wav = readBytes(windowsPath(kTone));
    for (const auto& [name, bytes] : {std::pair{"tone.wav", wav}, std::pair{"tone.ogg", ogg}, std::pair{"tone.mp3", mp3},
                                      std::pair{"theme.mod", readBytes(windowsPath(std::string(QX_SOURCE_DIR) +
                                                                                   "/tests/data/audio/theme.mod"))},
                                      std::pair{"song.mid", midi}, std::pair{"my.model.wav", wav}}) {
        ASSERT_FALSE(bytes.empty()) << name;
        ASSERT_TRUE(writeBytes(windowsPath(folder + "/" + name), bytes)) << name;
    }
    QXRunOptions options;
    options.arguments.push_back(dir);
    options.timeoutMs = 30000;
    QXRunResult run = runBound("audio_formats", options);
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output.find("FAIL"), std::string::npos) << describe(run);
    EXPECT_TRUE(run.output.find("done") != std::string::npos || run.output.find("silent") != std::string::npos)
        << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    if (expectSound()) {
        EXPECT_NE(run.output.find("done"), std::string::npos) << describe(run);
    }
#ifndef _WIN32
    // No MIDI player on Linux; Wine's sequencer may open the file.
    if (run.output.find("done") != std::string::npos) {
        EXPECT_NE(run.output.find("midi: 0"), std::string::npos) << describe(run);
    }
#endif
    if (expectSilence()) {
        EXPECT_NE(run.output.find("silent"), std::string::npos) << describe(run);
    }
}
