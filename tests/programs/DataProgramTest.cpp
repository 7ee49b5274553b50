// DATA tables laid out in a program as the compiler lays them out, read
// through the linked entry points and shaped with the string commands.
#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

namespace {

QXRunResult runWith(const std::string& argument) {
    QXRunOptions options;
    options.arguments = {argument};
    return runBound("data_read", options);
}

const std::string kExpectedOutput =
    "5\n2\n7\n-2\n"              // READ as integers
    "5\n2.5\n7x\n-2.9\n"         // as strings
    "5.0\n2.5\n7.0\n-2.9\n"      // as floats
    "Hello, World\n"             // Trim
    "  HELLO, WORLD  \n"         // Upper
    "World  Hello\n"             // Mid + Left(Instr - 1)
    ";;Hello,;World;;\n"         // Replace
    "16032\n"                    // Len * 1000 + Asc
    "000000FF\n"                 // Hex
    "00000000000000000000000011111111\n"  // Bin
    "  A\n";                     // RSet(Chr)

}  // namespace

TEST(DataProgram, ReadsEveryItemAsEveryType) {
    QXRunResult run = runWith("");
    ASSERT_TRUE(run.started) << describe(run);
    EXPECT_EQ(run.output, kExpectedOutput) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(DataProgram, ReadingPastTheEndOrABadItemStops) {
    for (const auto& [argument, message] : {std::pair<std::string, std::string>{"past", "Out of data"},
                                            std::pair<std::string, std::string>{"bad", "Bad data type"}}) {
        QXRunResult run = runWith(argument);
        EXPECT_EQ(run.output, kExpectedOutput) << describe(run);
        ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
        EXPECT_EQ(run.messageBoxes[0].text, message);
        EXPECT_EQ(run.exitCode, 0u);
    }
}
