// Gadgets in a stand-alone program: the native driver starts with it, its
// errors stop the program cleanly, and every kind of control draws inside
// its own shape.

#include <gtest/gtest.h>

#include <stb_image.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/ProgramTestSupport.h"

TEST(GuiCommands, GadgetsOfTheNativeDriverInARunningProgram) {
    QXRunResult run = runBound("gui_commands");
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output,
              "ok top-level window\nok window shape\nok client area inside the frame\nok native window\n"
              "ok parents\nok button text\nok default font\nok panel follows the window\nok the desktop stays\n"
              "ok freeing the window frees everything\n")
        << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "Invalid Group Gadget handle");
}

TEST(GuiCommands, EveryControlDrawsInsideItsShape) {
    QXRunOptions options;
    options.screenshotFile = (std::filesystem::temp_directory_path() / "qx-gui-controls.png").string();
    std::filesystem::remove(options.screenshotFile);
    QXRunResult run = runBound("gui_controls", options);
    ASSERT_FALSE(run.timedOut) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);

    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load(options.screenshotFile.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(pixels, nullptr) << "no screenshot";
    ASSERT_EQ(width, 650);
    ASSERT_EQ(height, 240);
    auto at = [&](int x, int y) { return pixels + (static_cast<std::size_t>(y) * width + x) * 3; };
    const unsigned char* background = at(width - 1, height - 1);

    // Kinds in cell order; the web view (cell 11) shows nothing of its own yet.
    const char* kinds[] = {"label",     "button",    "text field", "slider", "progress bar", "combo box", "list box",
                           "tree view", "text area", "tabber",     "panel",  nullptr,        "tool bar"};
    for (int i = 0; i < 13; ++i) {
        if (!kinds[i]) continue;
        const int cellLeft = (i % 5) * 130, cellTop = (i / 5) * 80;
        int left = width, top = height, right = -1, bottom = -1;
        for (int y = cellTop; y < cellTop + 80; ++y) {
            for (int x = cellLeft; x < cellLeft + 130; ++x) {
                if (std::equal(background, background + 3, at(x, y))) continue;
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
        ASSERT_GE(right, 0) << kinds[i] << " drew nothing";
        EXPECT_GE(left, cellLeft + 15) << kinds[i];
        EXPECT_GE(top, cellTop + 15) << kinds[i];
        EXPECT_LT(right, cellLeft + 115) << kinds[i];
        EXPECT_LT(bottom, cellTop + 65) << kinds[i];
    }
    stbi_image_free(pixels);
}
