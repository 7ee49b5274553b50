// Short runs of the long-run programs (scripts/soak runs them long): the
// process's private memory, handles, GDI and USER objects and the runtime's
// live objects stay flat after a warm-up. And a bound program that starts a
// window, sound, images and gadgets ends cleanly every time it is run.

#include <gtest/gtest.h>

#include <string>

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
    // In a run this short, Wine's sound device now and then opens one handle
    // of its own after the warm-up (2 runs in 5 with sounds playing); that
    // one alone is let pass here. The long runs (scripts/soak) let none pass.
    const bool flat = run.output.find("\nflat\n") != std::string::npos ||
                      run.output.find("\ngrew: handles +1\n") != std::string::npos;
    EXPECT_TRUE(flat) << run.output;
}

// Under the Native driver: DirectDraw's images still grow by about 0.8 KB
// each in private memory (scripts/soak shows it); no check for them yet.
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

// Under the Native driver. OpenGL and DirectDraw still grow by a few KB a
// frame in private memory (scripts/soak shows it); no check for them yet.
TEST(Soak, GameDemoUnderNativeStaysFlat) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    QXRunOptions options;
    options.arguments = {"demo", "900", "1", folder, "figures"};
    options.timeoutMs = 45000;
    expectFlat(runProgram(buildPath("examples/game.exe"), options));
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
