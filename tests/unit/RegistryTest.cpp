#include <gtest/gtest.h>

#include "runtime/QXLinkKey.h"

TEST(LinkKey, CommandsAndEntryPoints) {
    EXPECT_EQ(linkKey("%CreateWindow$text%x%y%width%height%group=0%style=15"), "_fcreatewindow");
    EXPECT_EQ(linkKey("End"), "_fend");
    EXPECT_EQ(linkKey("#JoyX%port=0"), "_fjoyx");
    EXPECT_EQ(linkKey("_qxStrConcat"), "__qxStrConcat");
}
