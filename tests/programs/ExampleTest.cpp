// The examples of the README keep working.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "support/PictureSupport.h"
#include "support/ProgramTestSupport.h"

TEST(Examples, HelloGreetsByName) {
    QXRunOptions options;
    options.input = "  Ada  \n";
    options.arguments = {"one", "two"};
    QXRunResult run = runProgram(buildPath("examples/hello.exe"), options);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output,
              "Hello from Quelt Basic!\nWhat is your name? Nice to meet you, Ada\nArguments: one two\n")
        << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty());
}

TEST(Examples, BankAndFileRoundTrip) {
    QXRunOptions options;
    options.workingDirectory = windowsPath(buildPath("examples"));
    QXRunResult run = runProgram(buildPath("examples/bank_file.exe"), options);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_NE(run.output.find("Bytes written: 40\nBytes read back: 40\nSquare of 1 is 1\n"), std::string::npos)
        << describe(run);
    EXPECT_NE(run.output.find("Square of 10 is 100\nSum of the squares: 385\n"), std::string::npos) << describe(run);
}

namespace {

// The drivers example's picture: three panels of PanelWidth x PanelHeight,
// Gap apart and from the edges, over a caption strip.
constexpr int PanelWidth = 192, PanelHeight = 144, Gap = 8, Caption = 22;
constexpr int PictureWidth = 3 * PanelWidth + 4 * Gap, PictureHeight = PanelHeight + 2 * Gap + Caption;

}  // namespace

// The drivers example draws one scene under every 2D driver and saves the
// three side by side. The panels must agree with each other and the picture
// with the one the README shows (docs/pictures/drivers.png, refreshed by
// scripts/screenshots), within a small tolerance for font rendering.
TEST(Examples, DriversDrawTheSameScene) {
    const std::string bmp = buildPath("screenshots/drivers.bmp");
    const std::string png = buildPath("screenshots/drivers.png");
    std::filesystem::create_directories(buildPath("screenshots"));
    std::filesystem::remove(bmp);
    QXRunOptions options;
    options.arguments = {bmp};
    options.timeoutMs = 60000;
    QXRunResult run = runProgram(buildPath("examples/drivers.exe"), options);
    EXPECT_FALSE(run.timedOut) << describe(run);
    ASSERT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);

    // Per driver the count of pixels unlike Native's: a few at most, from text.
    std::istringstream lines(run.output);
    std::string line;
    for (const char* driver : {"Native", "OpenGL", "DirectDraw"}) {
        ASSERT_TRUE(std::getline(lines, line)) << describe(run);
        const std::string prefix = std::string(driver) + ": pixels unlike Native ";
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << describe(run);
        EXPECT_LE(std::stoi(line.substr(prefix.size())), PanelWidth * PanelHeight / 100) << line;
    }
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "picture " + std::to_string(PictureWidth) + "x" + std::to_string(PictureHeight) + " saved as " + bmp);

    const Picture picture = loadPicture(bmp);
    ASSERT_EQ(picture.width, PictureWidth) << "no picture in " << bmp;
    ASSERT_EQ(picture.height, PictureHeight);
    ASSERT_TRUE(savePicture(picture, png));

    // Independent of the program's own count: each panel shows the scene
    // (sky, sun, ground, wall) and agrees with the first.
    for (int panel = 0; panel < 3; ++panel) {
        const int left = Gap + panel * (PanelWidth + Gap);
        EXPECT_TRUE(closeTo(picture.at(left + 2, Gap + 2), 50, 98, 224)) << "sky, panel " << panel;
        EXPECT_TRUE(closeTo(picture.at(left + 160, Gap + 26), 255, 232, 96)) << "sun, panel " << panel;
        EXPECT_TRUE(closeTo(picture.at(left + 4, Gap + 140), 112, 84, 52)) << "ground, panel " << panel;
        EXPECT_TRUE(closeTo(picture.at(left + 48, Gap + 60), 152, 40, 40)) << "roof, panel " << panel;
        const Difference fromFirst = compareRegions(picture, Gap, Gap, picture, left, Gap, PanelWidth, PanelHeight);
        EXPECT_LE(fromFirst.pixels, PanelWidth * PanelHeight / 100) << "panel " << panel;
    }

    // OpenGL and DirectDraw share their rules for lines and ovals: to the pixel.
    const Difference openGLFromDirectDraw = compareRegions(picture, Gap + (PanelWidth + Gap), Gap, picture,
                                                           Gap + 2 * (PanelWidth + Gap), Gap, PanelWidth, PanelHeight);
    EXPECT_EQ(openGLFromDirectDraw.mean, 0.0);

    const Picture reference = loadPicture(windowsPath(std::string(QX_SOURCE_DIR) + "/docs/pictures/drivers.png"));
    ASSERT_EQ(reference.width, PictureWidth) << "no reference picture: run scripts/screenshots";
    ASSERT_EQ(reference.height, PictureHeight);
    const Difference fromReference = compareRegions(picture, 0, 0, reference, 0, 0, PictureWidth, PictureHeight);
    EXPECT_LE(fromReference.pixels, PictureWidth * PictureHeight / 200) << "see " << png;
    EXPECT_LE(fromReference.mean, 2.0) << "see " << png;
}

namespace {

// The chat example's window: its client area and the two list boxes in it.
constexpr int ChatClientWidth = 520, ChatClientHeight = 300;
struct Box {
    int left, top, width, height;
};
constexpr Box PlayerList{8, 8, 150, 284}, MessageList{166, 8, 346, 250};

std::future<QXRunResult> startChat(std::vector<std::string> arguments, std::string screenshot = {}) {
    return std::async(std::launch::async, [arguments = std::move(arguments), screenshot] {
        QXRunOptions options;
        options.arguments = arguments;
        options.timeoutMs = 90000;
        options.screenshotFile = screenshot;
        return runProgram(buildPath("examples/chat.exe"), options);
    });
}

std::vector<std::string> linesOf(const std::string& output) {
    std::vector<std::string> lines;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// Each sender's "NAME: message 1" ... "NAME: message COUNT" once each, in order.
void expectMessagesInOrder(const QXRunResult& run, const std::string& sender, int count) {
    const std::vector<std::string> lines = linesOf(run.output);
    int next = 1;
    for (const std::string& line : lines) {
        if (line.rfind(sender + ": ", 0) != 0) continue;
        EXPECT_EQ(line, sender + ": message " + std::to_string(next)) << describe(run);
        ++next;
    }
    EXPECT_EQ(next, count + 1) << sender << " in\n" << describe(run);
}

void expectLine(const QXRunResult& run, const std::string& line) {
    const std::vector<std::string> lines = linesOf(run.output);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << line << " in\n" << describe(run);
}

// Rows of text in a list box: bands of rows holding dark pixels.
int textRows(const Picture& picture, int left, int top, const Box& box) {
    int rows = 0;
    bool inText = false;
    for (int y = top + box.top + 3; y < top + box.top + box.height - 3; ++y) {
        bool dark = false;
        for (int x = left + box.left + 3; x < left + box.left + box.width - 3 && !dark; ++x) {
            const unsigned char* pixel = picture.at(x, y);
            dark = pixel[0] < 96 && pixel[1] < 96 && pixel[2] < 96;
        }
        rows += dark && !inText;
        inText = dark;
    }
    return rows;
}

}  // namespace

// The chat example: a host, two joiners and a TCP line client talk. Each
// prints what it saw; every sender's messages arrive whole and in order, the
// line client's lines reach the net game through the host, and the host's
// window lists the four players and the eleven messages.
TEST(Examples, ChatHostJoinersAndLineClientTalk) {
    if (!aloneOnTheDisplay()) GTEST_SKIP() << "runs alone on the display";
    const std::string png = buildPath("screenshots/chat.png");
    std::filesystem::create_directories(buildPath("screenshots"));
    std::filesystem::remove(png);
    auto host = startChat({"host", "ada", "3", "3", "1"}, png);
    auto bob = startChat({"join", "bob", "3", "3"});
    auto cy = startChat({"join", "cy", "3", "3"});
    auto dee = startChat({"line", "dee", "2"});
    const QXRunResult hostRun = host.get(), bobRun = bob.get(), cyRun = cy.get(), deeRun = dee.get();

    for (const QXRunResult* run : {&hostRun, &bobRun, &cyRun, &deeRun}) {
        ASSERT_TRUE(run->started) << run->error;
        EXPECT_FALSE(run->timedOut) << describe(*run);
        EXPECT_EQ(run->exitCode, 0u) << describe(*run);
        EXPECT_TRUE(run->messageBoxes.empty()) << describe(*run);
        EXPECT_EQ(run->output.find("timed out"), std::string::npos) << describe(*run);
        for (const char* sender : {"ada", "bob", "cy"}) expectMessagesInOrder(*run, sender, 3);
        expectMessagesInOrder(*run, "dee@tcp", 2);
    }
    for (const QXRunResult* run : {&hostRun, &bobRun, &cyRun}) expectLine(*run, "everyone said bye");
    expectLine(hostRun, "me ada");
    expectLine(hostRun, "joined bob");
    expectLine(hostRun, "joined cy");
    expectLine(hostRun, "joined dee@tcp");
    expectLine(hostRun, "left dee@tcp");
    expectLine(hostRun, "left bob");
    expectLine(hostRun, "left cy");
    expectLine(bobRun, "joined ada");
    expectLine(bobRun, "joined cy");
    expectLine(cyRun, "joined ada");
    expectLine(cyRun, "joined bob");

    // The host's window: the players (with the two who left marked) and
    // every message, one row each.
    const Picture picture = loadPicture(png);
    ASSERT_GE(picture.width, ChatClientWidth) << "no screenshot " << png;
    ASSERT_GE(picture.height, ChatClientHeight);
    const int border = (picture.width - ChatClientWidth) / 2;
    const int top = picture.height - ChatClientHeight - border;
    EXPECT_EQ(textRows(picture, border, top, PlayerList), 4) << "see " << png;
    EXPECT_EQ(textRows(picture, border, top, MessageList), 11) << "see " << png;
}
