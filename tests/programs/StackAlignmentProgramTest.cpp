// Commands entered at every 4-byte misalignment of the stack give the same
// results: compiled code keeps only 4-byte alignment (tests/programs/src/stack_alignment.c).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "support/ProgramTestSupport.h"

namespace {
std::string floatBits(double value) {
    const float narrowed = static_cast<float>(value);
    std::uint32_t bits;
    std::memcpy(&bits, &narrowed, sizeof bits);
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(bits));
    return text;
}
}  // namespace

TEST(StackAlignment, EveryMisalignmentGivesTheSameResults) {
    QXRunResult run = runBound("stack_alignment");
    ASSERT_TRUE(run.started) << describe(run);
    const std::string results = " " + floatBits(std::sqrt(2.0)) + " " +
                                floatBits(std::atan2(3.0, -1.5) * static_cast<double>(57.2957802f)) +
                                " 1234.5 000000FF abcd 1000\n";
    EXPECT_EQ(run.output, "pad 0:" + results + "pad 4:" + results + "pad 8:" + results + "pad 12:" + results)
        << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    EXPECT_EQ(run.exitCode, 0u);
}
