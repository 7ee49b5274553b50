// Fonts on Linux: face names found as files (and never as paths), sizes as
// Windows makes them, and font files that are not fonts, or are cut short,
// falling back to a face that draws.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <string>

#include "core/QXString.h"
#include "events/linux/LinuxFont.h"

namespace {

const std::string WineFonts = "/usr/share/wine/fonts/";

class LinuxFonts : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(theLinuxFontDriver.startup()); }
    void TearDown() override { theLinuxFontDriver.shutdown(); }

    static int textWidth(QXFont& font, const char* text) {
        QXString* string = newString(text);
        const int width = font.measure(string).width;
        release(string);
        return width;
    }
};

}  // namespace

TEST_F(LinuxFonts, FaceNamesAreFilesInTheFontFoldersNeverPaths) {
    bool bold = true;
    for (const char* name : {"", "../../etc/passwd", "fonts/tahoma", "/usr/share/wine/fonts/tahoma", "NoSuchFace"}) {
        EXPECT_EQ(linuxFontFile(name, false, bold), "") << name;
        EXPECT_FALSE(bold);
    }
    if (!std::filesystem::exists(WineFonts + "tahomabd.ttf")) GTEST_SKIP() << "no Wine fonts";
    EXPECT_EQ(linuxFontFile("Tahoma", false, bold), WineFonts + "tahoma.ttf");
    EXPECT_FALSE(bold);
    EXPECT_EQ(linuxFontFile("TAHOMA", true, bold), WineFonts + "tahomabd.ttf");
    EXPECT_TRUE(bold);
}

TEST_F(LinuxFonts, HeightsAreCellsAsOnWindowsAndEveryFontDraws) {
    for (const char* face : {"Tahoma", "courier", "NoSuchFace"})
        for (int height : {10, 16, 44}) {
            QXFont* font = theLinuxFontDriver.createFont(face, height, kFontBold);
            ASSERT_NE(font, nullptr) << face << " " << height;
            EXPECT_NEAR(font->height(), height, 1) << face << " " << height;
            EXPECT_EQ(font->ascent() + font->descent(), font->height());
            EXPECT_EQ(font->style(), kFontBold);
            EXPECT_GT(textWidth(*font, "Quelt"), textWidth(*font, "Q"));
            EXPECT_EQ(textWidth(*font, ""), 0);
            QXString* text = newString("Quelt 2D");
            const LinuxTextMask mask = static_cast<LinuxFont*>(font)->render(text);
            release(text);
            EXPECT_EQ(mask.height, font->height());
            EXPECT_NE(std::count_if(mask.coverage.begin(), mask.coverage.end(), [](int c) { return c > 128; }), 0);
            release(font);
        }
}

TEST_F(LinuxFonts, FilesThatAreNotFontsFallBackToADrawableFace) {
    const auto folder = std::filesystem::temp_directory_path() / "qx-linux-fonts";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "text.ttf") << "not a font at all";
    std::ofstream(folder / "empty.ttf");
    if (std::filesystem::exists(WineFonts + "tahoma.ttf")) {
        std::ifstream whole(WineFonts + "tahoma.ttf", std::ios::binary);
        std::string head(4096, '\0');
        whole.read(head.data(), static_cast<std::streamsize>(head.size()));
        std::ofstream(folder / "cut.ttf", std::ios::binary) << head;
    }
    for (const char* name : {"text.ttf", "empty.ttf", "cut.ttf", "missing.ttf"}) {
        const std::string path = (folder / name).string();
        QXFont* font = theLinuxFontDriver.createFont(path.c_str(), 16, 0);
        ASSERT_NE(font, nullptr) << name;
        EXPECT_GT(textWidth(*font, "abc"), 0) << name;
        release(font);
    }
    std::filesystem::remove_all(folder);
}
