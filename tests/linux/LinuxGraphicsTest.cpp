// The 2D graphics of the Linux host (SDL2), observed from outside: the
// drivers example's scene and the game demo's last frame against the
// README's pictures, a windowed screen drawn, read back, saved and shown,
// and Graphics without a display.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <future>
#include <thread>
#include <vector>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "support/PictureSupport.h"
#include "support/ProgramTestSupport.h"
#include "LinuxWindowShot.h"

namespace {

// Runs with DISPLAY removed from the environment the child inherits.
class WithoutDisplay {
public:
    WithoutDisplay() {
        if (const char* display = std::getenv("DISPLAY")) saved_ = display, had_ = true;
        unsetenv("DISPLAY");
    }
    ~WithoutDisplay() {
        if (had_) setenv("DISPLAY", saved_.c_str(), 1);
    }

private:
    std::string saved_;
    bool had_ = false;
};

constexpr int PanelWidth = 192, PanelHeight = 144, Gap = 8, Caption = 22;
constexpr int PictureWidth = 3 * PanelWidth + 4 * Gap, PictureHeight = PanelHeight + 2 * Gap + Caption;
// The rows of a panel that hold its text ("Quelt 2D", centred on row 130).
constexpr int TextTop = 118, TextBottom = 142;

}  // namespace

// One driver serves every driver number here, so the three panels agree to
// the pixel. Images need no display: the example runs without one. Beside
// the text (FreeType's rendering of Wine's Tahoma, not Wine's GDI), the
// scene is the shared rules' scene of the README picture's OpenGL and
// DirectDraw panels, to the pixel; the Native panel there is GDI's own.
TEST(LinuxGraphics, DriversSceneMatchesTheReadmePictureButForText) {
    const auto folder = std::filesystem::temp_directory_path() / "qx-linux-drivers";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string bmp = (folder / "drivers.bmp").string();
    QXRunOptions options;
    options.arguments = {bmp};
    options.timeoutMs = 60000;
    QXRunResult run;
    {
        WithoutDisplay noDisplay;
        run = runProgram(buildPath("examples/drivers.exe"), options);
    }
    ASSERT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    EXPECT_EQ(run.output, "Native: pixels unlike Native 0\nOpenGL: pixels unlike Native 0\n"
                          "DirectDraw: pixels unlike Native 0\npicture " +
                              std::to_string(PictureWidth) + "x" + std::to_string(PictureHeight) + " saved as " + bmp +
                              "\n");

    const Picture picture = loadPicture(bmp);
    ASSERT_EQ(picture.width, PictureWidth) << "no picture in " << bmp;
    ASSERT_EQ(picture.height, PictureHeight);
    const Picture reference = loadPicture(std::string(QX_SOURCE_DIR) + "/docs/pictures/drivers.png");
    ASSERT_EQ(reference.width, PictureWidth);
    for (int panel = 0; panel < 3; ++panel) {
        const int left = Gap + panel * (PanelWidth + Gap);
        for (int referencePanel : {1, 2}) {
            const int referenceLeft = Gap + referencePanel * (PanelWidth + Gap);
            const Difference above =
                compareRegions(picture, left, Gap, reference, referenceLeft, Gap, PanelWidth, TextTop);
            const Difference below = compareRegions(picture, left, Gap + TextBottom, reference, referenceLeft,
                                                    Gap + TextBottom, PanelWidth, PanelHeight - TextBottom);
            EXPECT_EQ(above.pixels + below.pixels, 0) << "panel " << panel << " against " << referencePanel;
        }
        // The text: in the same place, of about the same size.
        const Difference text =
            compareRegions(picture, left, Gap + TextTop, reference, left, Gap + TextTop, PanelWidth, TextBottom - TextTop);
        EXPECT_LE(text.pixels, PanelWidth * (TextBottom - TextTop) / 5) << "panel " << panel;
    }
    const Difference whole = compareRegions(picture, 0, 0, reference, 0, 0, PictureWidth, PictureHeight);
    EXPECT_LE(whole.pixels, PictureWidth * PictureHeight / 40);
    EXPECT_LE(whole.mean, 2.0);
}

// The Windows test program of windowed screens, on an SDL window: every
// check holds but the mode list's, which is the display's (Xvfb lists its
// one mode, at 32 bits). What Flip shows: the window (found by its title,
// the program's name) holds the frame the program drew last, pixel for
// pixel, as the Windows test sees it in a screenshot of the window.
TEST(LinuxGraphics, WindowedScreenDrawsReadsBackSavesAndShowsTheFrame) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs the virtual display";
    const auto folder = std::filesystem::temp_directory_path() / "qx-linux-screens";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    QXRunOptions options;
    options.arguments = {"1"};
    options.workingDirectory = folder.string();
    options.timeoutMs = 60000;
    auto running = std::async(std::launch::async, [options] { return runBound("screens_draw", options); });
    // The frame to photograph is green with a red box and two blue pixels,
    // shown for 1.5 s before the program goes on; earlier frames are black.
    constexpr std::uint32_t green = 0x0AC81E, red = 0xFA0000, blue = 0x0000F8;
    WindowShot shot;
    while (running.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        WindowShot candidate = shootWindow("screens_draw");
        if (candidate.width == 64 && candidate.height == 48 && candidate.at(0, 0) == green) {
            shot = std::move(candidate);
            break;
        }
    }
    const QXRunResult run = running.get();
    ASSERT_FALSE(run.timedOut) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    std::istringstream lines(run.output);
    int passed = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("ok ", 0) == 0) {
            ++passed;
        } else if (line != "done") {
            EXPECT_EQ(line.rfind("FAIL one mode of 640x480 in format 1", 0), 0u) << line;
        }
    }
    EXPECT_EQ(passed, 41) << describe(run);
    EXPECT_TRUE(std::filesystem::exists(folder / "screens_3x2.bmp"));
    // A path into a missing folder, written the Windows way, makes no file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);

    ASSERT_EQ(shot.width, 64) << "the frame was never shown";
    int wrong = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inBox = x >= 8 && x < 24 && y >= 8 && y < 16;
            const std::uint32_t want = inBox ? red : ((x == 40 && y == 20) || (x == 50 && y == 30)) ? blue : green;
            if (shot.at(x, y) != want) ++wrong;
        }
    EXPECT_EQ(wrong, 0) << "pixels that differ from what was drawn";
}

// Without a display, images still draw (above) but Graphics stops the
// program with SDL's reason, and never crashes.
TEST(LinuxGraphics, GraphicsWithoutADisplayIsARuntimeError) {
    WithoutDisplay noDisplay;
    QXRunOptions options;
    options.arguments = {"graphics"};
    options.timeoutMs = 30000;
    QXRunResult run = runBound("platform_commands", options);
    ASSERT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output, "before\n") << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text.rfind("Unable to open a window: ", 0), 0u) << run.messageBoxes[0].text;
}

namespace {

// The Windows game test's log of the demo's 600 frames.
const char* const GameDemoLog =
    "frame 95: saucer down, score 10\nframe 162: saucer down, score 20\nframe 196: saucer down, score 30\n"
    "frame 282: saucer down, score 40\nframe 352: saucer down, score 50\nframe 413: saucer down, score 60\n"
    "frame 437: saucer down, score 70\nframe 487: saucer down, score 80\nframe 489: saucer down, score 90\n"
    "frame 490: saucer down, score 100\nframe 516: saucer down, score 110\nframe 517: saucer down, score 120\n"
    "frame 517: wave 2\nframe 529: the ship is hit, lives 2\n"
    "demo over after 600 frames: score 120, saucers down 12\nshots fired 33, ship hit 1\n";
constexpr int FrameWidth = 640, FrameHeight = 480;

}  // namespace

// The game example's demo, with its sound played into SDL's dummy device, in
// a window: the same game as under each Windows driver, frame by frame, and
// the README's last frame to the pixel but for the text (the score bar and
// the wave's banner).
TEST(LinuxGraphics, GameDemoPlaysTheWindowsGameToTheReadmeFrame) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs the virtual display";
    const auto folder = std::filesystem::temp_directory_path() / "qx-linux-game";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(buildPath("examples/game.exe"), folder / "game.exe");
    std::filesystem::create_directory_symlink(buildPath("examples/assets"), folder / "assets");
    QXRunOptions options;
    options.arguments = {"demo", "600", "1", folder.string()};
    options.timeoutMs = 120000;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    QXRunResult run = runProgram((folder / "game.exe").string(), options);
    unsetenv("SDL_AUDIODRIVER");
    ASSERT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    std::istringstream lines(run.output);
    std::string line, log;
    ASSERT_TRUE(std::getline(lines, line)) << describe(run);
    EXPECT_EQ(line, "no high score yet");
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "sound: on");
    for (int i = 0; i < 16 && std::getline(lines, line); ++i) log += line + "\n";
    EXPECT_EQ(log, GameDemoLog) << describe(run);
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "high score written: 120");
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.rfind("first frame after ", 0), 0u) << line;
    std::cout << line << "\n";

    const Picture frame = loadPicture((folder / "game-demo.bmp").string());
    ASSERT_EQ(frame.width, FrameWidth) << "no last frame in " << folder;
    ASSERT_EQ(frame.height, FrameHeight);
    std::filesystem::create_directories(buildPath("linux/screenshots"));
    EXPECT_TRUE(savePicture(frame, buildPath("linux/screenshots/game-linux.png")));
    const Picture reference = loadPicture(std::string(QX_SOURCE_DIR) + "/docs/pictures/game.png");
    ASSERT_EQ(reference.width, FrameWidth);
    // Between the score bar and the banner, and below the banner: exact.
    EXPECT_EQ(compareRegions(frame, 0, 28, reference, 0, 28, FrameWidth, 122).pixels, 0);
    EXPECT_EQ(compareRegions(frame, 0, 230, reference, 0, 230, FrameWidth, FrameHeight - 230).pixels, 0);
    const Difference whole = compareRegions(frame, 0, 0, reference, 0, 0, FrameWidth, FrameHeight);
    EXPECT_LE(whole.pixels, FrameWidth * FrameHeight * 3 / 200);
    EXPECT_LE(whole.mean, 2.0);
}
