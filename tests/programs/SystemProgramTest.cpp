// System commands as a program uses them: console text through redirected
// standard streams, system facts, environment variables and the title.

#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

TEST(SystemCommands, ConsoleTextFactsAndEnvironment) {
    QXRunOptions options;
    options.input = "  Ada Lovelace \t\r\n" + std::string(300, 'x') + "\n";
    QXRunResult run = runBound("system_console", options);
    ASSERT_EQ(run.exitCode, 0u) << describe(run);
    std::string appdir = windowsPath(buildPath("programs")) + "\\";
    std::string expected = "Hello\n"
                           "Name? |Ada Lovelace|\n"
                           "Name? |" + std::string(255, 'x') + "|\n"
                           "Name? |" + std::string(45, 'x') + "|\n"
                           "Name? ||\n"
                           "|Intel|\n"
                           "||\n"
                           "|" + appdir + "|\n";
    EXPECT_EQ(run.output.substr(0, expected.size()), expected) << describe(run);
    std::string rest = run.output.substr(std::min(expected.size(), run.output.size()));
    // The temporary folder ends with a backslash; then the environment round trip.
    ASSERT_GE(rest.size(), 3u) << describe(run);
    EXPECT_NE(rest.find("\\|\n||\n|some value|\n||\n"), std::string::npos) << describe(run);
}

TEST(SystemCommands, AppTitleBecomesTheErrorCaption) {
    QXRunResult run = runBound("system_title");
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].caption, "My Game");
    EXPECT_EQ(run.messageBoxes[0].text, "stopped");
    EXPECT_EQ(run.exitCode, 0u);
}
