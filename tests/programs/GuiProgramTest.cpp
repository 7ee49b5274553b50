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
    if (!aloneOnTheDisplay()) GTEST_SKIP() << "runs alone on the display";
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

TEST(GuiWindows, StylesGeometryMenusAndWindowEvents) {
    QXRunResult run = runBound("gui_windows");
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.output.find("FAIL"), std::string::npos) << describe(run);
    const std::string events = run.output.substr(std::min(run.output.find("events:\n"), run.output.size()));
    // Moved by the system to (80, 90); resized to 320 x 210; a resize below
    // the minimum keeps that size; minimised: one size event with the size from
    // before; restored; the close box; a menu item with identifier 77.
    EXPECT_NE(events.find("00000801 0 80 90\n"), std::string::npos) << events;
    EXPECT_NE(events.find("00000802 0 320 210\n"), std::string::npos) << events;
    const std::size_t minimised = events.find("00000802 0 320 210\n", events.find("ok the minimum size holds"));
    EXPECT_NE(minimised, std::string::npos) << events;
    EXPECT_NE(events.find("00000803 0 0 0\n"), std::string::npos) << events;
    EXPECT_NE(events.find("00001001 77 0 0\n"), std::string::npos) << events;
    EXPECT_NE(run.output.find("ok freeing the windows frees the menus\n"), std::string::npos) << describe(run);
    EXPECT_NE(run.output.find("end\nok freed on its close event\n"), std::string::npos) << describe(run);
    EXPECT_EQ(run.output.find("not reached"), std::string::npos);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "Invalid Menu handle");
}

TEST(GuiWindows, PanelBackgroundsOnScreen) {
    if (!aloneOnTheDisplay()) GTEST_SKIP() << "runs alone on the display";
    QXRunOptions options;
    options.screenshotFile = (std::filesystem::temp_directory_path() / "qx-gui-panels.png").string();
    options.arguments.push_back(windowsPath(QX_SOURCE_DIR "/tests/data/pictures/tile2x2.bmp"));
    std::filesystem::remove(options.screenshotFile);
    QXRunResult run = runBound("gui_panels", options);
    ASSERT_FALSE(run.timedOut) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load(options.screenshotFile.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(pixels, nullptr) << "no screenshot";
    ASSERT_EQ(width, 300);
    ASSERT_EQ(height, 100);
    auto rgb = [&](int x, int y) {
        const unsigned char* p = pixels + (static_cast<std::size_t>(y) * width + x) * 3;
        return (p[0] << 16) | (p[1] << 8) | p[2];
    };
    EXPECT_EQ(rgb(50, 50), 0xFF0000);
    EXPECT_EQ(rgb(250, 50), 0x00FF00);
    // The 2 x 2 tile (blue, green over white, black) repeats from the panel's corner.
    const int tile[2][2] = {{0x0000FF, 0x00FF00}, {0xFFFFFF, 0x000000}};
    int wrong = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 100; x < 200; ++x) wrong += rgb(x, y) != tile[y % 2][(x - 100) % 2];
    EXPECT_EQ(wrong, 0);
    stbi_image_free(pixels);
}

TEST(GuiRequesters, MessageBoxesAndChoosersAnsweredFromOutside) {
    QXRunResult run = runBound("gui_requesters");
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output,
              "focus 1\nconfirm 1\nproceed 1\nfocus 1\nred before 255\ncolour 1\nrgb 660510\nfocus 1\n"
              "file C:\\windows\\temp\\qx-request.txt\nfocus 1\nno owner 1\n")
        << describe(run);
    ASSERT_GE(run.messageBoxes.size(), 6u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "Plain note");
    EXPECT_EQ(run.messageBoxes[1].text, "Serious note");
    EXPECT_EQ(run.messageBoxes[2].text, "Sure?");
    EXPECT_EQ(run.messageBoxes[3].text, "Save changes?");
    EXPECT_EQ(run.messageBoxes[0].caption, run.messageBoxes[3].caption);
    EXPECT_EQ(run.messageBoxes[5].caption, "Save as");
}

// Every flag word the message box commands use, each box answered with a
// button of its own (or its close box), and what the command then returned.
TEST(GuiRequesters, MessageBoxFlagWordsAndAnswers) {
    constexpr int OK = 1, Cancel = 2, Yes = 6, No = 7, Close = kAnswerCloseBox;
    struct Box {
        const char* text;
        long style;
        int answer;
        const char* printed;  // the program's line after the box
    } boxes[] = {
        {"notify plain", 0x40040, OK, "notify plain"},
        {"notify plain closed", 0x40040, Close, "notify plain closed"},
        {"notify serious", 0x40030, OK, "notify serious"},
        {"confirm plain", 0x40041, OK, "confirm plain 1"},
        {"confirm plain", 0x40041, Cancel, "confirm plain 0"},
        {"confirm plain", 0x40041, Close, "confirm plain 0"},
        {"confirm serious", 0x40031, OK, "confirm serious 1"},
        {"confirm serious", 0x40031, Cancel, "confirm serious 0"},
        {"confirm 256", 0x40041, OK, "confirm 256 1"},
        {"proceed plain", 0x40043, Yes, "proceed plain 1"},
        {"proceed plain", 0x40043, No, "proceed plain 0"},
        {"proceed plain", 0x40043, Cancel, "proceed plain -1"},
        {"proceed plain", 0x40043, Close, "proceed plain -1"},
        {"proceed serious", 0x40033, Yes, "proceed serious 1"},
        {"proceed serious", 0x40033, No, "proceed serious 0"},
        {"proceed serious", 0x40033, Cancel, "proceed serious -1"},
        // The runtime error box: no icon, OK, foreground and topmost.
        {"stopped here", 0x50000, OK, nullptr},
    };
    QXRunOptions options;
    options.messageBoxStyles = true;
    std::string expected;
    for (const Box& box : boxes) {
        options.answers.push_back(box.answer);
        if (box.printed) expected += std::string(box.printed) + "\n";
    }
    QXRunResult run = runBound("gui_message_boxes", options);
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.output, expected) << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), std::size(boxes)) << describe(run);
    for (std::size_t i = 0; i < std::size(boxes); ++i) {
        const QXMessageBoxSeen& seen = run.messageBoxes[i];
        EXPECT_EQ(seen.text, boxes[i].text) << i;
        EXPECT_EQ(seen.caption, "gui_message_boxes") << i;
        EXPECT_EQ(seen.style, boxes[i].style) << i << " " << seen.text;
        EXPECT_EQ(seen.answer, boxes[i].answer) << i << " " << seen.text;
    }
}
