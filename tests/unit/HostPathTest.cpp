// The rule that maps the Windows paths a program gives onto Linux paths.

#include <gtest/gtest.h>

#include "runtime/QXHostPath.h"

TEST(HostPath, WindowsPathsOnLinux) {
    struct Case {
        const char* program;
        const char* host;
    } cases[] = {
        {"data.bin", "data.bin"},
        {"saves\\slot1.dat", "saves/slot1.dat"},
        {"C:\\games\\hiscore.txt", "/games/hiscore.txt"},
        {"z:\\tmp\\x", "/tmp/x"},
        {"D:notes.txt", "notes.txt"},
        {"/home/ada/a.txt", "/home/ada/a.txt"},
        {"..\\up", "../up"},
        {"\\\\server\\share", "//server/share"},
        {"1:\\x", "1:/x"},  // not a drive letter
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(linuxPathOf(c.program), c.host) << c.program;
}

TEST(HostPath, FoldersReportedAsWineShowsThem) {
    struct Case {
        const char* host;
        const char* program;
    } cases[] = {
        {"/tmp/x/", "Z:\\tmp\\x\\"},
        {"/", "Z:\\"},
        {"saves/", "saves\\"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(programPathOf(c.host), c.program) << c.host;
        EXPECT_EQ(linuxPathOf(programPathOf(c.host)), c.host) << c.host;
    }
}
