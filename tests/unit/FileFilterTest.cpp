// The file chooser's starting texts: the filter list and the file name.

#include <gtest/gtest.h>

#include <string>

#include "gui/QXFileFilter.h"

using namespace std::string_literals;

TEST(FileFilter, ListsFromExtensionTexts) {
    const struct {
        const char* extensions;
        std::string list;
    } cases[] = {
        {nullptr, "All files\0*.*\0\0"s},
        {"", "All files\0*.*\0\0"s},  // omitted and empty arrive alike
        {"bmp,png", "bmp Files\0*.bmp\0png Files\0*.png\0\0"s},
        {"txt", "txt Files\0*.txt\0\0"s},
        {"a,,b", "a Files\0*.a\0\0"s},  // the first empty piece ends the list
        {",a", "\0\0"s},
        {"a,", "a Files\0*.a\0\0"s},
    };
    for (const auto& c : cases) EXPECT_EQ(fileFilterList(c.extensions), c.list) << (c.extensions ? c.extensions : "null");
}

TEST(FileFilter, LongExtensionTextsAreCutAtAnEntry) {
    std::string many;
    for (int i = 0; i < 100; ++i) many += (i ? ",ext" : "ext") + std::to_string(i);
    const std::string list = fileFilterList(many.c_str());
    EXPECT_LE(list.size(), kFileChooserTextRoom);
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list.substr(list.size() - 2), "\0\0"s);
    EXPECT_EQ(list.find("ext0 Files\0*.ext0\0"s), 0u);
    // Whole entries only: an even count of texts, each pattern after its description.
    std::size_t texts = 0;
    for (std::size_t at = 0; list[at] != 0; at = list.find('\0', at) + 1) ++texts;
    EXPECT_EQ(texts % 2, 0u);

    const std::string huge(1000, 'x');
    EXPECT_EQ(fileFilterList(huge.c_str()), "\0\0"s);
}

TEST(FileFilter, InitialNames) {
    EXPECT_EQ(initialFileName("C:/data/out.txt", nullptr), "C:\\data\\out.txt");
    EXPECT_EQ(initialFileName("", "bmp,png"), "*.bmp");
    EXPECT_EQ(initialFileName(nullptr, "bmp"), "*.bmp");
    EXPECT_EQ(initialFileName("", ""), "");
    EXPECT_EQ(initialFileName("keep.txt", "bmp"), "keep.txt");
    EXPECT_EQ(initialFileName(std::string(400, 'n').c_str(), nullptr).size(), kFileChooserTextRoom - 1);
    EXPECT_EQ(defaultExtension("bmp,png"), "bmp");
    EXPECT_EQ(defaultExtension(nullptr), "");
}
