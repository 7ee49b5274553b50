#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "runtime/QXDebugger.h"
#include "runtime/QXError.h"

namespace {

TEST(Debugger, RuntimeErrorStopsThenReportsOnce) {
    testDebugger().events.clear();
    EXPECT_EQ(runtimeErrorOf([] { runtimeError("Invalid %s handle", "Stream"); }), "Invalid Stream handle");
    EXPECT_EQ(testDebugger().events, (std::vector<std::string>{"stop", "error(1): Invalid Stream handle"}));

    // Messages are cut to 255 characters.
    const std::string longText(300, 'e');
    EXPECT_EQ(runtimeErrorOf([&] { runtimeError("%s", longText.c_str()); }), longText.substr(0, 255));
}

TEST(Debugger, LogLinesGoToTheCurrentDebuggerCutAt255) {
    testDebugger().log.clear();
    debugLogLine("%d objects of %s", 3, "class QXBank");
    const std::string longText(400, 'x');
    debugLogLine("<%s>", longText.c_str());
    ASSERT_EQ(testDebugger().log.size(), 2u);
    EXPECT_EQ(testDebugger().log[0], "3 objects of class QXBank");
    EXPECT_EQ(testDebugger().log[1], "<" + longText.substr(0, 254));

    // Another debugger takes over while it is current.
    RecordingDebugger other;
    setCurrentDebugger(&other);
    debugLogLine("elsewhere");
    setCurrentDebugger(&testDebugger());
    EXPECT_EQ(other.log, std::vector<std::string>{"elsewhere"});
    EXPECT_EQ(testDebugger().log.size(), 2u);
}

}  // namespace
