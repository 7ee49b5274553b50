// Maths inside a running program: the x87 runs at 24-bit precision there, yet
// every result must be the double-precision one. The expected floats are
// computed here, in a process at the x87's default precision.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "support/ProgramTestSupport.h"

namespace {

constexpr double kRadiansPerDegree = 0.0174532924f;
constexpr double kDegreesPerRadian = 57.2957802f;

std::string bitsLine(double value) {
    const float narrowed = static_cast<float>(value);
    std::uint32_t bits;
    std::memcpy(&bits, &narrowed, sizeof bits);
    char text[16];
    std::snprintf(text, sizeof text, "%08X\n", static_cast<unsigned>(bits));
    return text;
}

double f(float value) { return value; }

}  // namespace

TEST(MathProgram, ResultsHaveDoublePrecisionAndTheGeneratorStartsAt0x1234) {
    QXRunResult run = runBound("maths_results");
    ASSERT_TRUE(run.started) << describe(run);
    const std::string expected =
        bitsLine(std::sin(f(33.3f) * kRadiansPerDegree)) + bitsLine(std::cos(f(33.3f) * kRadiansPerDegree)) +
        bitsLine(std::tan(f(61.3f) * kRadiansPerDegree)) + bitsLine(std::asin(f(0.3f)) * kDegreesPerRadian) +
        bitsLine(std::acos(f(0.3f)) * kDegreesPerRadian) + bitsLine(std::atan(f(7.25f)) * kDegreesPerRadian) +
        bitsLine(std::atan2(3.0, -1.5) * kDegreesPerRadian) + bitsLine(std::sqrt(2.0)) +
        bitsLine(std::exp(0.25)) + bitsLine(std::log(7.25)) + bitsLine(std::log10(f(0.3f))) + bitsLine(-3.0) +
        bitsLine(std::pow(f(1.0001f), 10000.0)) + bitsLine(std::pow(f(123.456f), f(1.7f))) + bitsLine(-1.5) +
        bitsLine(3.5) + bitsLine(0.0) +
        "-2147483648\n-1\n-1\n"
        "4660\n3\n2\n5\n1\n4\n1649319252\n" +
        bitsLine(0.837977409362793) + "224942860\n";
    // Neither the runtime nor this test may have computed at low precision:
    // Pow(1.0001, 10000) at 24 bits would be far from e.
    ASSERT_NEAR(std::pow(f(1.0001f), 10000.0), 2.718597, 1e-5);
    EXPECT_EQ(run.output, expected) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
}

TEST(MathProgram, ModTrapsStopWithARuntimeError) {
    for (const auto& [argument, message] :
         {std::pair<std::string, std::string>{"zero", "Division by zero in Mod"},
          std::pair<std::string, std::string>{"overflow", "Integer overflow in Mod"}}) {
        QXRunOptions options;
        options.arguments = {argument};
        QXRunResult run = runBound("maths_results", options);
        EXPECT_EQ(run.output, "") << describe(run);
        ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
        EXPECT_EQ(run.messageBoxes[0].text, message);
        EXPECT_EQ(run.exitCode, 0u);
    }
}
