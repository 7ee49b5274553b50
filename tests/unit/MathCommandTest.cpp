// The maths commands: angles in degrees with the language's float factors,
// the library's results outside each domain, and double-precision results
// even while the x87 runs at a program's 24-bit precision.
#include <gtest/gtest.h>

#include <float.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "TestSupport.h"

namespace {

using Unary = float(QXCALL*)(float);
using Binary = float(QXCALL*)(float, float);

Unary unary(const char* signature) { return command<Unary>(signature); }

float Sin(float v) { return unary("#Sin#degrees")(v); }
float Cos(float v) { return unary("#Cos#degrees")(v); }
float Tan(float v) { return unary("#Tan#degrees")(v); }
float ASin(float v) { return unary("#ASin#float")(v); }
float ACos(float v) { return unary("#ACos#float")(v); }
float ATan(float v) { return unary("#ATan#float")(v); }
float ATan2(float a, float b) { return command<Binary>("#ATan2#floata#floatb")(a, b); }
float Sqr(float v) { return unary("#Sqr#float")(v); }
float Floor(float v) { return unary("#Floor#float")(v); }
float Ceil(float v) { return unary("#Ceil#float")(v); }
float Exp(float v) { return unary("#Exp#float")(v); }
float Log(float v) { return unary("#Log#float")(v); }
float Log10(float v) { return unary("#Log10#float")(v); }

constexpr double kRadiansPerDegree = 0.0174532924f;
constexpr double kDegreesPerRadian = 57.2957802f;
constexpr float kInfinity = std::numeric_limits<float>::infinity();


}  // namespace

TEST(MathCommands, AnglesAreInDegrees) {
    EXPECT_EQ(Sin(90.0f), 1.0f);
    EXPECT_EQ(Sin(30.0f), 0.5f);
    EXPECT_EQ(Cos(0.0f), 1.0f);
    EXPECT_EQ(Cos(180.0f), -1.0f);
    EXPECT_NEAR(Cos(90.0f), 0.0f, 1e-7f);
    EXPECT_EQ(Tan(45.0f), 1.0f);
    EXPECT_EQ(ASin(1.0f), 90.0f);
    EXPECT_EQ(ACos(-1.0f), 180.0f);
    EXPECT_EQ(ATan(1.0f), 45.0f);
    EXPECT_EQ(ATan2(1.0f, 0.0f), 90.0f);
    EXPECT_EQ(ATan2(0.0f, -1.0f), 180.0f);
    EXPECT_EQ(ATan2(-1.0f, -1.0f), -135.0f);
    EXPECT_EQ(ATan2(0.0f, 1.0f), 0.0f);
    // The factor is pi/180 rounded to a float, not pi/180 itself.
    EXPECT_EQ(Sin(1e6f), static_cast<float>(std::sin(1e6 * kRadiansPerDegree)));
}

TEST(MathCommands, RootsLogarithmsAndRounding) {
    EXPECT_EQ(Sqr(2.0f), 1.41421356f);
    EXPECT_EQ(Sqr(0.0f), 0.0f);
    EXPECT_EQ(Exp(0.0f), 1.0f);
    EXPECT_EQ(Exp(1.0f), 2.71828183f);
    EXPECT_EQ(Log(1.0f), 0.0f);
    EXPECT_EQ(Log(10.0f), 2.30258509f);
    EXPECT_EQ(Log10(1000.0f), 3.0f);
    EXPECT_EQ(Log10(0.01f), -2.0f);
    EXPECT_EQ(Floor(-2.5f), -3.0f);
    EXPECT_EQ(Ceil(-2.5f), -2.0f);
    EXPECT_EQ(Floor(2.0f), 2.0f);
    EXPECT_EQ(Ceil(2.0000002f), 3.0f);
    EXPECT_EQ(Floor(1e30f), 1e30f);
    EXPECT_EQ(Exp(100.0f), kInfinity);  // beyond the float range after narrowing
}

TEST(MathCommands, OutsideTheDomainGivesTheLibrarysValues) {
    EXPECT_TRUE(std::isnan(Sqr(-1.0f)));
    EXPECT_TRUE(std::isnan(ASin(1.5f)));
    EXPECT_TRUE(std::isnan(ACos(-2.0f)));
    EXPECT_TRUE(std::isnan(Log(-1.0f)));
    EXPECT_TRUE(std::isnan(Log10(-1.0f)));
    EXPECT_EQ(Log(0.0f), -kInfinity);
    EXPECT_EQ(Log10(0.0f), -kInfinity);
}

// Each command, called in a program's x87 state, gives exactly the float that
// the double-precision computation gives outside it.
TEST(MathCommands, ResultsKeepDoublePrecisionInsideAProgram) {
    struct Case {
        const char* name;
        float (*command)(float);
        double (*reference)(float);
        float divisor;  // brings the inputs into the command's useful range
    };
    const Case cases[] = {
        {"Sin", Sin, [](float v) { return std::sin(v * kRadiansPerDegree); }, 1.0f},
        {"Cos", Cos, [](float v) { return std::cos(v * kRadiansPerDegree); }, 1.0f},
        {"Tan", Tan, [](float v) { return std::tan(v * kRadiansPerDegree); }, 1.0f},
        {"ASin", ASin, [](float v) { return std::asin(static_cast<double>(v)) * kDegreesPerRadian; }, 4000.0f},
        {"ACos", ACos, [](float v) { return std::acos(static_cast<double>(v)) * kDegreesPerRadian; }, 4000.0f},
        {"ATan", ATan, [](float v) { return std::atan(static_cast<double>(v)) * kDegreesPerRadian; }, 1.0f},
        {"Sqr", Sqr, [](float v) { return std::sqrt(static_cast<double>(v)); }, 1.0f},
        {"Exp", Exp, [](float v) { return std::exp(static_cast<double>(v)); }, 40.0f},
        {"Log", Log, [](float v) { return std::log(static_cast<double>(v)); }, 1.0f},
        {"Log10", Log10, [](float v) { return std::log10(static_cast<double>(v)); }, 1.0f},
    };
    const float inputs[] = {0.3f, 1.7f, 7.25f, 29.9f, 61.3f, 123.456f, 359.9f, 1234.567f, 3001.5f};
    for (const Case& c : cases) {
        for (float input : inputs) {
            const float argument = input / c.divisor;
            const float expected = static_cast<float>(c.reference(argument));
            float got;
            {
                ProgramFpuState program;
                got = c.command(argument);
            }
            EXPECT_EQ(got, expected) << c.name << "(" << argument << ")";
        }
    }
    for (float input : inputs) {
        const float expected = static_cast<float>(std::atan2(input, 1.5) * kDegreesPerRadian);
        float got;
        {
            ProgramFpuState program;
            got = ATan2(input, 1.5f);
        }
        EXPECT_EQ(got, expected) << "ATan2(" << input << ", 1.5)";
    }
}
