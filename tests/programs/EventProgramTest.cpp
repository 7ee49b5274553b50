// The event commands in a stand-alone program: the pump starts with the
// program, waits without input time out, and the hot-key limit stops it.

#include <gtest/gtest.h>

#include <chrono>

#include "support/ProgramTestSupport.h"

TEST(EventCommands, WaitsWithoutInputReturnZeroAndTheHotKeyLimitStopsTheProgram) {
    auto start = std::chrono::steady_clock::now();
    QXRunResult run = runBound("events_commands");
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output, "0\n0\n0\n0\nhot keys registered\n") << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].caption, "events_commands");
    EXPECT_EQ(run.messageBoxes[0].text, "Too many hotkey events registered");
    EXPECT_GE(elapsed.count(), 100) << "WaitEvent(100) waited";
}
