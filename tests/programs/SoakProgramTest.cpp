// Short runs of the long-run programs (scripts/soak runs them long): the
// process's private memory, handles, GDI and USER objects and the runtime's
// live objects stay flat after a warm-up. And a bound program that starts a
// window, sound, images and gadgets ends cleanly every time it is run.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

#include "support/ProgramTestSupport.h"

namespace {

std::string soundFile() { return windowsPath(std::string(QX_SOURCE_DIR) + "/examples/assets/game/shoot.wav"); }

// The three figures lines in order, then the verdict.
void expectFlat(const QXRunResult& run) {
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    const std::size_t start = run.output.find("figures start ");
    const std::size_t middle = run.output.find("figures middle ");
    const std::size_t end = run.output.find("figures end ");
    EXPECT_TRUE(start != std::string::npos && start < middle && middle != std::string::npos && middle < end &&
                end != std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("\nflat\n"), std::string::npos) << run.output;
}

// Under the Native driver: Wine's DirectDraw keeps memory for its first
// 18,000 or so surfaces, more than a short run makes (docs/wine-notes.md).
TEST(Soak, ImagesBanksGadgetsAndSoundsCreatedAndFreedStayFlat) {
    QXRunOptions options;
    options.arguments = {"800", soundFile(), "ibgs", "1"};
    options.timeoutMs = 45000;
    expectFlat(runBound("soak_objects", options));
}

TEST(Soak, TcpServerServingConnectionsStaysFlat) {
    QXRunOptions options;
    options.arguments = {"300"};
    options.timeoutMs = 45000;
    expectFlat(runBound("soak_tcp", options));
}

// Under the Native driver: OpenGL settles only after some 6,000 frames
// (docs/wine-notes.md), more than a short run draws.
TEST(Soak, GameDemoUnderNativeStaysFlat) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    QXRunOptions options;
    options.arguments = {"demo", "900", "1", folder, "figures"};
    options.timeoutMs = 45000;
    expectFlat(runProgram(buildPath("examples/game.exe"), options));
}

// The chat example's talk as a long run, shortened: a host, two joiners and a
// line client send 300 messages each (1,200 in all, each heard by all four),
// every sender's arriving whole and in order, and all four stay flat.
TEST(Soak, ChatOfFourProgramsStaysFlat) {
    const int count = 300;
    auto start = [](std::vector<std::string> arguments) {
        return std::async(std::launch::async, [arguments = std::move(arguments)] {
            QXRunOptions options;
            options.arguments = arguments;
            options.timeoutMs = 120000;
            return runProgram(buildPath("examples/chat.exe"), options);
        });
    };
    const std::string messages = std::to_string(count);
    auto host = start({"host", "ada", messages, "3", "1", "figures"});
    auto bob = start({"join", "bob", messages, "3", "figures"});
    auto cy = start({"join", "cy", messages, "3", "figures"});
    auto dee = start({"line", "dee", messages, "figures"});
    for (QXRunResult run : {host.get(), bob.get(), cy.get(), dee.get()}) {
        expectFlat(run);
        for (const char* sender : {"ada", "bob", "cy", "dee@tcp"})
            EXPECT_NE(run.output.find(std::string("\n") + sender + ": " + messages + " in order\n"), std::string::npos)
                << sender << " in\n" << describe(run);
        EXPECT_EQ(run.output.find("out of order"), std::string::npos) << describe(run);
        EXPECT_EQ(run.output.find("timed out"), std::string::npos) << describe(run);
    }
}

// The editor example by itself: it opens 40 files from its tree, puts a line
// at the top and one at the end of each, saves and closes it, and stays flat;
// every file then holds exactly its edits.
TEST(Soak, EditorOpeningEditingSavingAndClosingFilesStaysFlat) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::filesystem::path folder =
        std::filesystem::path(temp) / ("qx-editor-soak-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const int files = 40;
    auto name = [](int i) {
        std::string digits = std::to_string(i);
        return "file" + std::string(3 - digits.size(), '0') + digits + ".txt";
    };
    for (int i = 0; i < files; ++i) std::ofstream(folder / name(i), std::ios::binary) << "first line " << i << "\r\nsecond\r\n";

    QXRunOptions options;
    options.arguments = {"--figures", std::to_string(files), folder.string()};
    options.timeoutMs = 90000;
    expectFlat(runProgram(buildPath("examples/editor.exe"), options));
    for (int i = 0; i < files; ++i) {
        std::ifstream in(folder / name(i), std::ios::binary);
        std::stringstream saved;
        saved << in.rdbuf();
        EXPECT_EQ(saved.str(), "edited " + std::to_string(i + 1) + "\r\nfirst line " + std::to_string(i) +
                                   "\r\nsecond\r\nadded\r\n")
            << name(i);
    }
    std::filesystem::remove_all(folder);
}

// Wine kills threads still running when a process exits, and now and then
// dies doing so (docs/wine-notes.md): every run must end with its own code.
TEST(Exits, BoundProgramEndsCleanlyFiftyTimesInARow) {
    QXRunOptions options;
    options.arguments = {"20", soundFile()};
    options.timeoutMs = 20000;
    int clean = 0;
    std::string failures;
    for (int run = 0; run < 50; ++run) {
        const QXRunResult result = runBound("soak_objects", options);
        if (result.started && !result.timedOut && result.exitCode == 0 && result.messageBoxes.empty()) {
            ++clean;
        } else if (failures.empty()) {
            failures = "run " + std::to_string(run + 1) + ": " + describe(result);
        }
    }
    EXPECT_EQ(clean, 50) << failures;
}

}  // namespace
