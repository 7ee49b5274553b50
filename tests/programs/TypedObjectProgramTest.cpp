// Typed objects driven by C programs laid out as compiled code, through the
// real packer, linker and stand-alone program.
#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

namespace {

TEST(TypedObjectProgramTest, DescriptorsLaidOutByCompiledCodeWork) {
    QXRunResult result = runBound("objects_lists");
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_FALSE(result.timedOut);
    EXPECT_TRUE(result.messageBoxes.empty()) << describe(result);
    EXPECT_EQ(result.exitCode, 0u);
}

TEST(TypedObjectProgramTest, UsingADeletedObjectStops) {
    QXRunResult result = runBound("objects_null");
    ASSERT_EQ(result.messageBoxes.size(), 1u) << describe(result);
    EXPECT_EQ(result.messageBoxes[0].text, "Object does not exist");
}

}  // namespace
