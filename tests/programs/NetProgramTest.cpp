// TCP and UDP commands called by a program laid out as compiled code.

#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

namespace {

TEST(NetProgramTest, LoopbackTrafficThenABadHandle) {
    QXRunResult run = runBound("net_loopback");
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.output, "127.0.0.1\n255.255.255.255\n127.0.0.1\nping\nhello over tcp\n") << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "Invalid TCP Stream handle");
    EXPECT_EQ(run.exitCode, 0u);
}

}  // namespace
