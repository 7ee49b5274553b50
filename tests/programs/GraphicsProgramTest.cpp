// The 2D driver commands in a stand-alone program: the drivers start with
// the program, switch at run time, and drawing without a buffer stops the
// program with a clear message; whatever a driver keeps back
// to draw later, later drawing lands on top of earlier plots.

#include <gtest/gtest.h>

#include <string>

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

TEST(GraphicsCommands, LaterDrawingLandsOnTopOfPlotsOnEveryDriver) {
    QXRunResult run = runBound("graphics_plots");
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    std::string expected;
    for (const char* driver : {"driver 3\n", "driver 1\n", "driver 2\n"}) {
        expected += driver;
        for (const char* step : {"plots of one colour, then another", "a rect over plots, plots over the rect",
                                 "plots in a viewport, then in the whole buffer",
                                 "a sprite over plots, plots over the sprite", "another buffer current between plots",
                                 "WritePixel and plots in turn", "a line over plots, plots over a line"})
            expected += std::string("ok ") + step + "\n";
    }
    EXPECT_EQ(run.output, expected) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
}
