// The program runner, observed on small ordinary Windows programs.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/ProgramTestSupport.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace {

std::string fixture(const std::string& name) { return buildPath("bin/" + name + ".exe"); }

QXRunResult runConsole(std::vector<std::string> arguments, std::string input = {}) {
    QXRunOptions options;
    options.arguments = std::move(arguments);
    options.input = std::move(input);
    options.timeoutMs = 10000;
    return runProgram(fixture("fixture_console"), options);
}

int processCount(const char* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    int count = 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        count += lstrcmpiA(entry.szExeFile, exeName) == 0;
    CloseHandle(snapshot);
    return count;
}

std::string temporaryFile(const std::string& name) {
    std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove(path);
    return path.string();
}

}  // namespace

TEST(Runner, CapturesBothStreamsAndTheExitCode) {
    QXRunResult result = runConsole({"print", "\"hello world\"", "error", "oops", "print", "done", "exit", "3"});
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.output, "hello world\noops\ndone\n");
    EXPECT_EQ(result.exitCode, 3u);
    EXPECT_TRUE(result.messageBoxes.empty());

    QXRunResult negative = runConsole({"exit", "-1"});
    EXPECT_EQ(negative.exitCode, 0xFFFFFFFFul) << describe(negative);
    EXPECT_EQ(negative.output, "");
}

TEST(Runner, TakesTheCommandLineVerbatimWhenGiven) {
    QXRunOptions options;
    options.commandLine = "fixture_console print verbatim exit 5";
    QXRunResult result = runProgram(fixture("fixture_console"), options);
    EXPECT_EQ(result.output, "verbatim\n") << describe(result);
    EXPECT_EQ(result.exitCode, 5u);
}

TEST(Runner, ReadsOutputLargerThanThePipeWithoutBlocking) {
    QXRunResult result = runConsole({"lines", "5000"});  // twice what the pipe holds
    ASSERT_FALSE(result.timedOut);
    std::string expected;
    for (int n = 1; n <= 5000; ++n) expected += "line " + std::to_string(n) + " of a long output\n";
    EXPECT_TRUE(result.output == expected) << "got " << result.output.size() << " bytes, expected " << expected.size();
}

TEST(Runner, FeedsInputThenEndOfFile) {
    QXRunResult result = runConsole({"echo", "print", "end"}, "first\r\nsecond\nlast without newline");
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.output, "got first\ngot second\ngot last without newlineend\n") << describe(result);

    // Without input the program reads end of file at once instead of waiting.
    QXRunResult empty = runConsole({"echo", "print", "end"});
    EXPECT_FALSE(empty.timedOut);
    EXPECT_EQ(empty.output, "end\n");
}

TEST(Runner, RecordsAndClosesEachMessageBoxOnce) {
    QXRunOptions options;
    options.arguments = {"\"First caption\"", "\"First text\"", "Second", "\"Second text, longer\""};
    options.timeoutMs = 10000;
    QXRunResult result = runProgram(fixture("fixture_msgbox"), options);
    ASSERT_FALSE(result.timedOut) << describe(result);
    ASSERT_EQ(result.messageBoxes.size(), 2u) << describe(result);
    EXPECT_EQ(result.messageBoxes[0].caption, "First caption");
    EXPECT_EQ(result.messageBoxes[0].text, "First text");
    EXPECT_EQ(result.messageBoxes[1].caption, "Second");
    EXPECT_EQ(result.messageBoxes[1].text, "Second text, longer");
    EXPECT_EQ(result.output, "answer 1\nanswer 1\n");  // each answered with OK
    EXPECT_EQ(result.exitCode, 7u);

    // A question is answered with its default button, as Enter would.
    options.arguments = {"yesno", "Question", "\"Go on?\""};
    QXRunResult question = runProgram(fixture("fixture_msgbox"), options);
    ASSERT_EQ(question.messageBoxes.size(), 1u) << describe(question);
    EXPECT_EQ(question.messageBoxes[0].text, "Go on?");
    EXPECT_EQ(question.output, "answer 6\n");  // Yes
}

TEST(Runner, ClosesMessageBoxesOfProgramsThatTheProgramStarts) {
    QXRunResult result = runConsole({"spawn", "\"" + fixture("fixture_msgbox") + " Nested Box\"", "print", "back"});
    ASSERT_FALSE(result.timedOut) << describe(result);
    ASSERT_EQ(result.messageBoxes.size(), 1u) << describe(result);
    EXPECT_EQ(result.messageBoxes[0].caption, "Nested");
    EXPECT_EQ(result.messageBoxes[0].text, "Box");
    EXPECT_TRUE(result.output.ends_with("back\n")) << describe(result);
}

TEST(Runner, TimeOutEndsTheProgramAndKeepsItsOutput) {
    // Long enough for the window to show on a loaded machine; the program
    // itself would wait for ever.
    QXRunOptions options;
    options.timeoutMs = 3000;
    DWORD start = GetTickCount();
    QXRunResult result = runProgram(fixture("fixture_window"), options);
    EXPECT_TRUE(result.timedOut);
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(result.output, "window shown\n");

    // What the program started goes too.
    QXRunOptions spawning;
    spawning.arguments = {"spawn", fixture("fixture_window")};
    spawning.timeoutMs = 3000;
    QXRunResult tree = runProgram(fixture("fixture_console"), spawning);
    EXPECT_TRUE(tree.timedOut);
    bool windowGone = false;
    for (int tries = 0; tries < 40 && !(windowGone = processCount("fixture_window.exe") == 0); ++tries) Sleep(50);
    EXPECT_TRUE(windowGone);
}

TEST(Runner, WritesTheLastWindowAsPng) {
    if (!aloneOnTheDisplay()) GTEST_SKIP() << "runs alone on the display";
    QXRunOptions options;
    options.arguments = {"600"};  // the window closes itself after that many milliseconds
    options.timeoutMs = 10000;
    options.screenshotFile = temporaryFile("qx-runner-window.png");
    QXRunResult result = runProgram(fixture("fixture_window"), options);
    ASSERT_FALSE(result.timedOut) << describe(result);

    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load(options.screenshotFile.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(pixels, nullptr) << "no screenshot in " << options.screenshotFile;
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    const unsigned char* centre = pixels + (static_cast<std::size_t>(height / 2) * width + width / 2) * 3;
    EXPECT_GT(centre[0], 200);  // the client area is red
    EXPECT_LT(centre[1], 50);
    EXPECT_LT(centre[2], 50);
    stbi_image_free(pixels);

    // A program without a window leaves no file.
    QXRunOptions console;
    console.arguments = {"print", "x"};
    console.screenshotFile = temporaryFile("qx-runner-console.png");
    runProgram(fixture("fixture_console"), console);
    EXPECT_FALSE(std::filesystem::exists(console.screenshotFile));
}

TEST(Runner, ReportsAProgramThatCannotStart) {
    QXRunResult result = runProgram(fixture("no_such_program"));
    EXPECT_FALSE(result.started);
    EXPECT_NE(result.error.find("cannot start"), std::string::npos) << result.error;
}
