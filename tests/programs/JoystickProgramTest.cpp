// Joystick commands in a stand-alone program on a machine without controllers.

#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

TEST(JoystickCommands, EveryPortAnswersZeroWithoutControllers) {
    QXRunResult run = runBound("joystick_commands");
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output, "ok no controller on port 0\n"
                          "ok port 0 answers 0\n"
                          "ok other ports answer 0\n"
                          "ok FlushJoy\n")
        << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
}
