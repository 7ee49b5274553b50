// The arithmetic entry points, called through the registry as compiled code
// calls them, including the integer cases the processor would trap on.
#include <gtest/gtest.h>

#include <float.h>

#include <climits>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "TestSupport.h"

namespace {

int Abs(int v) { return command<int(QXCALL*)(int)>("_qxAbs")(v); }
int Sgn(int v) { return command<int(QXCALL*)(int)>("_qxSgn")(v); }
int Mod(int a, int b) { return command<int(QXCALL*)(int, int)>("_qxMod")(a, b); }
float FAbs(float v) { return command<float(QXCALL*)(float)>("_qxFAbs")(v); }
float FSgn(float v) { return command<float(QXCALL*)(float)>("_qxFSgn")(v); }
float FMod(float a, float b) { return command<float(QXCALL*)(float, float)>("_qxFMod")(a, b); }
float FPow(float a, float b) { return command<float(QXCALL*)(float, float)>("_qxFPow")(a, b); }


constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

}  // namespace

TEST(Arithmetic, IntegerAbsSgnAndMod) {
    EXPECT_EQ(Abs(-5), 5);
    EXPECT_EQ(Abs(7), 7);
    EXPECT_EQ(Abs(INT_MIN), INT_MIN);
    EXPECT_EQ(Abs(INT_MIN + 1), INT_MAX);
    EXPECT_EQ(Sgn(-5), -1);
    EXPECT_EQ(Sgn(0), 0);
    EXPECT_EQ(Sgn(INT_MAX), 1);
    EXPECT_EQ(Sgn(INT_MIN), -1);
    EXPECT_EQ(Mod(-7, 3), -1);
    EXPECT_EQ(Mod(7, -3), 1);
    EXPECT_EQ(Mod(7, 3), 1);
    EXPECT_EQ(Mod(INT_MIN, 1), 0);
    EXPECT_EQ(Mod(INT_MIN, INT_MAX), -1);
    EXPECT_EQ(Mod(INT_MAX, INT_MIN), INT_MAX);
}

// Both would raise a processor fault in a divide instruction; they stop the
// program with a runtime error instead.
TEST(Arithmetic, ModByZeroAndOverflowStopTheProgram) {
    EXPECT_EQ(runtimeErrorOf([] { Mod(5, 0); }), "Division by zero in Mod");
    EXPECT_EQ(runtimeErrorOf([] { Mod(0, 0); }), "Division by zero in Mod");
    EXPECT_EQ(runtimeErrorOf([] { Mod(INT_MIN, -1); }), "Integer overflow in Mod");
    EXPECT_EQ(runtimeErrorOf([] { Mod(INT_MIN + 1, -1); }), std::nullopt);
}

TEST(Arithmetic, FloatAbsSgnAndMod) {
    EXPECT_EQ(FAbs(-2.5f), 2.5f);
    EXPECT_EQ(FAbs(-kInfinity), kInfinity);
    EXPECT_FALSE(std::signbit(FAbs(-0.0f)));
    EXPECT_EQ(FSgn(3.0f), 1.0f);
    EXPECT_EQ(FSgn(-1e-30f), -1.0f);
    const float negativeZeroSign = FSgn(-0.0f);
    EXPECT_EQ(negativeZeroSign, 0.0f);
    EXPECT_FALSE(std::signbit(negativeZeroSign));
    EXPECT_EQ(FSgn(kNaN), 0.0f);
    EXPECT_EQ(FMod(-7.5f, 2.0f), -1.5f);
    EXPECT_EQ(FMod(7.5f, -2.0f), 1.5f);
    EXPECT_EQ(FMod(1e30f, 3.0f), static_cast<float>(std::fmod(1e30f, 3.0)));
    EXPECT_TRUE(std::isnan(FMod(1.0f, 0.0f)));
}

TEST(Arithmetic, PowerFollowsTheLibrarysSpecialCases) {
    EXPECT_EQ(FPow(2.0f, 10.0f), 1024.0f);
    EXPECT_EQ(FPow(-2.0f, 3.0f), -8.0f);
    EXPECT_EQ(FPow(4.0f, 0.5f), 2.0f);
    EXPECT_TRUE(std::isnan(FPow(-8.0f, 1.0f / 3.0f)));
    EXPECT_EQ(FPow(0.0f, -1.0f), kInfinity);
    EXPECT_EQ(FPow(5.0f, 0.0f), 1.0f);
}

// Inside a program the x87 runs at 24-bit precision; the results must still
// be those of double precision.
TEST(Arithmetic, FloatResultsKeepDoublePrecisionInsideAProgram) {
    const float bases[] = {1e6f, 1.0001f, 3.7f, 123.456f, 0.3f};
    const float exponents[] = {1.7f, 10000.0f, -2.5f, 3.3f, 0.5f};
    for (float base : bases) {
        for (float exponent : exponents) {
            const float expectedPow = static_cast<float>(std::pow(static_cast<double>(base), exponent));
            const float expectedMod = static_cast<float>(std::fmod(static_cast<double>(base), exponent));
            float pow;
            float mod;
            {
                ProgramFpuState program;
                pow = FPow(base, exponent);
                mod = FMod(base, exponent);
            }
            EXPECT_EQ(pow, expectedPow) << base << " ^ " << exponent;
            EXPECT_EQ(mod, expectedMod) << base << " mod " << exponent;
        }
    }
}
