// Timers, the clock and child processes in a stand-alone program.

#include <gtest/gtest.h>

#include <regex>

#include "support/ProgramTestSupport.h"

TEST(TimerCommands, TimersClockAndChildProcessAsAProgramCallsThem) {
    QXRunOptions options;
    options.arguments = {echoFixtureArgument()};
    QXRunResult run = runBound("timers_commands", options);
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    const std::string checks = "ok rates not positive give no timer\n"
                               "ok CreateTimer\n"
                               "ok WaitTimer paces the loop\n"
                               "ok TimerTicks\n"
                               "ok a paused timer keeps its count\n"
                               "ok ResumeTimer counts on\n"
                               "ok tick event\n"
                               "ok ResetTimer\n"
                               "ok a freed timer raises no ticks\n"
                               "ok Delay\n"
                               "ok CreateProcess\n"
                               "ok the child echoes\n"
                               "ok the child ended\n"
                               "ok Eof\n"
                               "ok a missing program gives 0\n";
    EXPECT_EQ(run.output.substr(0, checks.size()), checks) << describe(run);
    const std::string clock = run.output.substr(std::min(checks.size(), run.output.size()));
    EXPECT_TRUE(std::regex_match(clock, std::regex("\\d\\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \\d{4}\n"
                                                   "[0-2]\\d:[0-5]\\d:[0-5]\\d\n")))
        << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "WaitTimer used with paused timer");
}
