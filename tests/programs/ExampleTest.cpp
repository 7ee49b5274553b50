// The examples of the README keep working.

#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

TEST(Examples, HelloGreetsByName) {
    QXRunOptions options;
    options.input = "  Ada  \n";
    options.arguments = {"one", "two"};
    QXRunResult run = runProgram(buildPath("examples/hello.exe"), options);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output,
              "Hello from Quelt Basic!\nWhat is your name? Nice to meet you, Ada\nArguments: one two\n")
        << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty());
}

TEST(Examples, BankAndFileRoundTrip) {
    QXRunOptions options;
    options.workingDirectory = windowsPath(buildPath("examples"));
    QXRunResult run = runProgram(buildPath("examples/bank_file.exe"), options);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_NE(run.output.find("Bytes written: 40\nBytes read back: 40\nSquare of 1 is 1\n"), std::string::npos)
        << describe(run);
    EXPECT_NE(run.output.find("Square of 10 is 100\nSum of the squares: 385\n"), std::string::npos) << describe(run);
}
