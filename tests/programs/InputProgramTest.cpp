// The polled keyboard and mouse commands as compiled code calls them, with
// the real event pump: linked, callable, and quiet without input. Key and
// mouse input itself needs a window of the screens or the GUI.

#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

TEST(InputCommands, PollsReadZeroWithoutInput) {
    QXRunResult run = runBound("input_commands");
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output, "0 0 0 0 0 0 0 0 0 0 0 end\n") << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
}
