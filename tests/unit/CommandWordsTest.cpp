// A command line split into a child's words as a Windows program's C runtime
// splits its own (the Linux host starts CreateProcess children with them).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/QXProcess.h"

TEST(CommandWords, BlanksQuotesAndBackslashes) {
    using Words = std::vector<std::string>;
    struct Case {
        const char* line;
        Words words;
    } cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"echo", {"echo"}},
        {"  a  b\tc ", {"a", "b", "c"}},
        {"\"C:\\My Tools\\x.exe\" -v", {"C:\\My Tools\\x.exe", "-v"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {""}},
        {"\"unterminated arg", {"unterminated arg"}},
        {"a\\\\b", {"a\\\\b"}},             // backslashes alone stay
        {"a\\\"b", {"a\"b"}},               // \" is a quote
        {"\"a\\\\\" b", {"a\\", "b"}},      // \\" is a backslash, then the quote closes
        {"a\\\\\\\"b", {"a\\\"b"}},         // \\\" is a backslash and a quote
    };
    for (const Case& c : cases) EXPECT_EQ(splitCommandLine(c.line), c.words) << c.line;
}
