// Net game commands in a stand-alone program: queries without a game,
// hosting, and the runtime error of a player command without one.

#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

TEST(NetGameProgram, CommandsWithoutAGameAndItsRuntimeError) {
    QXRunResult run = runBound("netgame_commands");
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_FALSE(run.timedOut) << describe(run);
    const std::string expected = "ok NetPlayerName 0\n"
                                 "ok NetPlayerName unknown\n"
                                 "ok NetPlayerLocal unknown\n"
                                 "ok no message yet\n"
                                 "ok NetMsgData empty\n"
                                 "ok StopNetGame without a game\n"
                                 "ok HostNetGame\n";
    EXPECT_EQ(run.output.substr(0, expected.size()), expected) << describe(run);
    EXPECT_EQ(run.output.find("FAIL"), std::string::npos) << describe(run);
    EXPECT_EQ(run.output.find("unexpected"), std::string::npos) << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "Multiplayer game not started");
    EXPECT_EQ(run.exitCode, 0u);
}
