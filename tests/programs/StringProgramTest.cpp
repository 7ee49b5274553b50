// Strings inside a running program: what compiled code sees through the
// entry points, with the x87 unit at the precision programs run with.

#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

TEST(StringProgram, EntryPointsNumberTextsAndTheTemporaryStack) {
    QXRunOptions options;
    options.arguments = {"-x", " two  words"};
    QXRunResult run = runBound("strings_text", options);
    const std::string expected =
        "abc|abd\n"
        "1\n-1\n1\n0\n1\n"
        "abcabc\n"
        // number texts, rounded half away from zero at the sixth digit
        "0.0\n1.0\n0.5\n0.001\n3.14159\n"
        "123.456\n100000.0\n12345700.0\n-2.5\n1000000.0\n"
        "1.e+008\n1.e+008\n1.e+010\n1.e-004\n1.5e-005\n"
        "1.23457e+008\n1234570.0\n0.101563\n0.01\n-0.0\n"
        "Infinity\n-Infinity\nNaN\n"
        "-2147483648\n-12\n3.14159\n0.1\n2.5\n-77\n"
        "1025\n0\n"
        "| -x  two  words|\n";
    EXPECT_EQ(run.output, expected) << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "Illegal TmpStr index");
    EXPECT_EQ(run.exitCode, 0u);
}
