// Arrays and vectors driven by C programs laid out as compiled code, through
// the real packer, linker and stand-alone program.
#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

namespace {

// The one message box a run showed, or "" when it showed none.
std::string onlyMessage(const QXRunResult& result) {
    EXPECT_FALSE(result.timedOut) << describe(result);
    EXPECT_EQ(result.exitCode, 0u) << describe(result);
    EXPECT_LE(result.messageBoxes.size(), 1u) << describe(result);
    return result.messageBoxes.empty() ? "" : result.messageBoxes.front().text;
}

QXRunResult runWith(const std::string& program, const std::string& argument) {
    QXRunOptions options;
    options.arguments = {argument};
    return runBound(program, options);
}

TEST(ArrayProgramTest, DescriptorsLaidOutByCompiledCodeWork) {
    QXRunResult result = runBound("arrays_storage");
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_EQ(onlyMessage(result), "");
}

TEST(ArrayProgramTest, IndexAndSizeErrorsStopTheProgram) {
    EXPECT_EQ(onlyMessage(runWith("arrays_errors", "array")), "Array index out of bounds");
    EXPECT_EQ(onlyMessage(runWith("arrays_errors", "vector")), "Quelt array index out of bounds");
    EXPECT_EQ(onlyMessage(runWith("arrays_errors", "huge")), "Array too large");
    EXPECT_EQ(onlyMessage(runWith("arrays_errors", "negative")), "Negative array dimension");
    EXPECT_EQ(onlyMessage(runWith("arrays_errors", "small")), "dimensioned");
}

}  // namespace
