// The 2D driver commands in a stand-alone program: the drivers start with
// the program, switch at run time, and drawing without a buffer stops the
// program with a clear message.

#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

TEST(GraphicsCommands, DriversStartSwitchAndDrawingNeedsABuffer) {
    QXRunResult run = runBound("graphics_drivers");
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output, "ok three drivers\n"
                          "ok driver names\n"
                          "ok no buffer before one is set\n"
                          "ok drivers switch back and forth\n")
        << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "No graphics buffer is set");
}
