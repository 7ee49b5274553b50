// Handles and object diagnostics through the real linker and stand-alone program.
#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

namespace {

TEST(ObjectProgramTest, ReportIsSilentAndABadHandleStopsTheProgram) {
    QXRunResult result = runBound("handles_check");
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_FALSE(result.timedOut);
    ASSERT_EQ(result.messageBoxes.size(), 1u) << describe(result);
    EXPECT_EQ(result.messageBoxes[0].text, "Invalid Object handle");
    EXPECT_EQ(result.messageBoxes[0].caption, "handles_check");
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.exitCode, 0u);
}

}  // namespace
