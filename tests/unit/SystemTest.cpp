#include <gtest/gtest.h>

#include "core/QXSystem.h"

TEST(ExecFileText, SplitsQuotedAndPlainFileNames) {
    std::string file, parameters;
    ASSERT_TRUE(splitExecText("  \"C:\\My Docs\\a b.txt\"   -x -y ", file, parameters));
    EXPECT_EQ(file, "C:\\My Docs\\a b.txt");
    EXPECT_EQ(parameters, "-x -y ");
    ASSERT_TRUE(splitExecText("notepad.exe  readme.txt", file, parameters));
    EXPECT_EQ(file, "notepad.exe");
    EXPECT_EQ(parameters, "readme.txt");
    ASSERT_TRUE(splitExecText("notepad.exe", file, parameters));
    EXPECT_EQ(parameters, "");
}

TEST(ExecFileText, RefusesTextsThatNameNoFile) {
    std::string file, parameters;
    EXPECT_FALSE(splitExecText("", file, parameters));
    EXPECT_FALSE(splitExecText("    ", file, parameters));
    EXPECT_FALSE(splitExecText("\"unterminated", file, parameters));
    EXPECT_FALSE(splitExecText("\"\" args", file, parameters));
    EXPECT_FALSE(splitExecText(std::string(256, 'a').c_str(), file, parameters));
    EXPECT_TRUE(splitExecText(std::string(255, 'a').c_str(), file, parameters));
    EXPECT_FALSE(splitExecText(("\"" + std::string(256, 'a') + "\"").c_str(), file, parameters));
}

TEST(SystemFacts, OsNamesAndTrimming) {
    EXPECT_STREQ(osName(5, 1), "Windows XP");
    EXPECT_STREQ(osName(4, 0), "Windows 95");
    EXPECT_STREQ(osName(3, 51), "Windows NT 3.1");
    EXPECT_STREQ(osName(6, 1), "");
    EXPECT_EQ(trimControl(" \t\x01 text \r\n"), "text");
    EXPECT_EQ(trimControl("   "), "");
    EXPECT_EQ(trimControl("\xA0x\xA0"), "\xA0x\xA0");
}
