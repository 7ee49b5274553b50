// The game example's demo: the same play under every 2D driver (the same
// collisions, so the same log), its high-score file read, damaged or missing,
// and written, and its last frame against the picture the README shows.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/PictureSupport.h"
#include "support/ProgramTestSupport.h"

namespace {

constexpr int FrameWidth = 640, FrameHeight = 480;
constexpr std::uint32_t HighScoreTag = 0x53485851;  // "QXHS"

// What 600 frames of the demo bring, after the line about the high score
// read and the one about sound (on or off, as the machine has it).
const char* const DemoLog =
    "frame 95: saucer down, score 10\n"
    "frame 162: saucer down, score 20\n"
    "frame 196: saucer down, score 30\n"
    "frame 282: saucer down, score 40\n"
    "frame 352: saucer down, score 50\n"
    "frame 413: saucer down, score 60\n"
    "frame 437: saucer down, score 70\n"
    "frame 487: saucer down, score 80\n"
    "frame 489: saucer down, score 90\n"
    "frame 490: saucer down, score 100\n"
    "frame 516: saucer down, score 110\n"
    "frame 517: saucer down, score 120\n"
    "frame 517: wave 2\n"
    "frame 529: the ship is hit, lives 2\n"
    "demo over after 600 frames: score 120, saucers down 12\n"
    "shots fired 33, ship hit 1\n";

std::vector<std::string> linesOf(const std::string& output) {
    std::vector<std::string> lines;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

std::vector<unsigned char> bytesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<unsigned char> highScoreFile(std::uint32_t tag, std::uint32_t score) {
    std::vector<unsigned char> bytes;
    for (std::uint32_t value : {tag, score})
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
    return bytes;
}

void writeBytes(const std::filesystem::path& file, const std::vector<unsigned char>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder for one run's high score and picture.
std::filesystem::path freshFolder(const std::string& name) {
    const std::filesystem::path folder = buildPath("game-demo/" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

QXRunResult runDemo(const std::vector<std::string>& arguments, const std::string& screenshot = {}) {
    QXRunOptions options;
    options.arguments = arguments;
    options.arguments.insert(options.arguments.begin(), "demo");
    options.timeoutMs = 50000;
    options.screenshotFile = screenshot;
    return runProgram(buildPath("examples/game.exe"), options);
}

struct DriverCase {
    int driver;
    const char* name;
    std::vector<unsigned char> highScoreBefore;  // empty: no file
    const char* firstLine;
};

void PrintTo(const DriverCase& c, std::ostream* out) { *out << c.name; }

std::vector<DriverCase> driverCases() {
    return {{1, "Native", {}, "no high score yet"},
            {2, "OpenGL", {0x51, 0x58, 0x53}, "the high score file is damaged: starting from 0"},
            {3, "DirectDraw", highScoreFile(HighScoreTag, 50), "high score read: 50"}};
}

class GameDemo : public testing::TestWithParam<DriverCase> {};

}  // namespace

// Each driver plays the demo to the same log, writes the high score it beat
// and ends on the frame the README shows, within a small tolerance for text
// (OpenGL draws glyphs without GDI's smoothing).
TEST_P(GameDemo, PlaysTheSameGameAndEndsOnTheReadmePicture) {
    const DriverCase& c = GetParam();
    const std::filesystem::path folder = freshFolder(c.name);
    if (!c.highScoreBefore.empty()) writeBytes(folder / "game-demo.hiscore", c.highScoreBefore);

    const QXRunResult run = runDemo({"600", std::to_string(c.driver), folder.string()});
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);

    std::vector<std::string> lines = linesOf(run.output);
    ASSERT_EQ(lines.size(), 20u) << describe(run);
    EXPECT_EQ(lines[0], c.firstLine);
    EXPECT_TRUE(lines[1] == "sound: on" || lines[1] == "sound: off") << lines[1];
    std::string log;
    for (std::size_t i = 2; i < 18; ++i) log += lines[i] + "\n";
    EXPECT_EQ(log, DemoLog) << describe(run);
    EXPECT_EQ(lines[18], "high score written: 120");
    EXPECT_TRUE(std::regex_match(lines[19], std::regex("first frame after [0-9]+ ms; frames per second [0-9]+\\.[0-9]")))
        << lines[19];
    EXPECT_EQ(bytesOf(folder / "game-demo.hiscore"), highScoreFile(HighScoreTag, 120));

    const Picture frame = loadPicture((folder / "game-demo.bmp").string());
    ASSERT_EQ(frame.width, FrameWidth) << "no last frame in " << folder;
    ASSERT_EQ(frame.height, FrameHeight);
    std::filesystem::create_directories(buildPath("screenshots"));
    const std::string png = buildPath(std::string("screenshots/game-") + c.name + ".png");
    ASSERT_TRUE(savePicture(frame, png));
    // The default driver's frame is the one scripts/screenshots puts in the README.
    if (c.driver == 3) {
        ASSERT_TRUE(savePicture(frame, buildPath("screenshots/game.png")));
    }

    // Independent of the reference: the score bar across the top, space below it.
    EXPECT_TRUE(closeTo(frame.at(2, 2), 24, 24, 48)) << "score bar";
    EXPECT_TRUE(closeTo(frame.at(FrameWidth - 2, 26), 24, 24, 48)) << "score bar";
    int black = 0;
    for (int y = 28; y < FrameHeight; y += 4)
        for (int x = 0; x < FrameWidth; x += 4) black += closeTo(frame.at(x, y), 0, 0, 0);
    EXPECT_EQ(black, 0) << "the tiled background covers the screen";

    const Picture reference = loadPicture(windowsPath(std::string(QX_SOURCE_DIR) + "/docs/pictures/game.png"));
    ASSERT_EQ(reference.width, FrameWidth) << "no reference picture: run scripts/screenshots";
    ASSERT_EQ(reference.height, FrameHeight);
    const Difference fromReference = compareRegions(frame, 0, 0, reference, 0, 0, FrameWidth, FrameHeight);
    EXPECT_LE(fromReference.pixels, FrameWidth * FrameHeight / 200) << "see " << png;
    EXPECT_LE(fromReference.mean, 2.0) << "see " << png;
}

INSTANTIATE_TEST_SUITE_P(Examples, GameDemo, testing::ValuesIn(driverCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// What the window shows at the end is the frame the demo saved; a high score
// the demo did not beat is kept.
TEST(Examples, GameWindowShowsTheLastFrame) {
    if (!aloneOnTheDisplay()) GTEST_SKIP() << "runs alone on the display";
    const std::filesystem::path folder = freshFolder("window");
    writeBytes(folder / "game-demo.hiscore", highScoreFile(HighScoreTag, 9999));
    const std::string shot = (folder / "window.png").string();

    const QXRunResult run = runDemo({"240", "DirectDraw", folder.string()}, shot);
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    const std::vector<std::string> lines = linesOf(run.output);
    ASSERT_GE(lines.size(), 2u) << describe(run);
    EXPECT_EQ(lines[0], "high score read: 9999");
    EXPECT_EQ(lines[lines.size() - 2], "high score written: 9999") << describe(run);
    EXPECT_EQ(bytesOf(folder / "game-demo.hiscore"), highScoreFile(HighScoreTag, 9999));

    const Picture frame = loadPicture((folder / "game-demo.bmp").string());
    ASSERT_EQ(frame.width, FrameWidth) << "no last frame in " << folder;
    const Picture window = loadPicture(shot);
    ASSERT_GE(window.width, FrameWidth) << "no screenshot " << shot;
    ASSERT_GE(window.height, FrameHeight);
    const int border = (window.width - FrameWidth) / 2;
    const int top = window.height - FrameHeight - border;
    const Difference shown = compareRegions(window, border, top, frame, 0, 0, FrameWidth, FrameHeight);
    EXPECT_EQ(shown.pixels, 0) << "see " << shot;
    EXPECT_LE(shown.mean, 0.5) << "see " << shot;
}
