// The game example's demo under each 2D driver on the display: frames per
// second of its play (600 frames of 640 x 480, drawn as fast as the driver
// goes) and the time from the program's start to its first frame on screen,
// as the demo itself measures them; the best of three runs each. The demo
// is a separate program, run as the tests run programs.

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "bench/BenchSupport.h"
#include "tools/run/QXProgramRunner.h"

namespace {

constexpr int kFrames = 600;
constexpr int kRuns = 3;

std::string windowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

struct Figures {
    bool ok = false;
    int firstFrameMs = 0;
    double framesPerSecond = 0;
};

// The demo's closing line: "first frame after N ms; frames per second F".
Figures figuresOf(const std::string& output) {
    Figures figures;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (std::sscanf(line.c_str(), "first frame after %d ms; frames per second %lf", &figures.firstFrameMs,
                        &figures.framesPerSecond) == 2)
            figures.ok = true;
    return figures;
}

}  // namespace

int main() {
    const std::string game = windowsPath(QX_BUILD_DIR "/examples/game.exe");
    const std::string folder = windowsPath(QX_BUILD_DIR "/game-demo/bench");
    std::filesystem::create_directories(folder);
    std::printf("game: the demo's %d frames of 640 x 480 per driver, best of %d runs\n", kFrames, kRuns);
    int status = 0;
    for (const char* driver : {"Native", "OpenGL", "DirectDraw"}) {
        Figures best;
        for (int run = 0; run < kRuns; ++run) {
            QXRunOptions options;
            options.arguments = {"demo", std::to_string(kFrames), driver, folder};
            options.timeoutMs = 120000;
            const QXRunResult result = runProgram(game, options);
            const Figures figures = figuresOf(result.output);
            if (!figures.ok) {
                std::printf("  %-10s the demo gave no figures: %s%s\n", driver, result.error.c_str(),
                            result.output.c_str());
                status = 1;
                break;
            }
            if (!best.ok || figures.framesPerSecond > best.framesPerSecond) best.framesPerSecond = figures.framesPerSecond;
            if (!best.ok || figures.firstFrameMs < best.firstFrameMs) best.firstFrameMs = figures.firstFrameMs;
            best.ok = true;
        }
        if (best.ok) {
            std::printf("  %-10s %8.1f frames/s   first frame after %5d ms\n", driver, best.framesPerSecond,
                        best.firstFrameMs);
            char name[48];
            std::snprintf(name, sizeof name, "game demo, %s", driver);
            plainFigure(name, true, "%.0f frames/s, first frame after %d ms", best.framesPerSecond, best.firstFrameMs);
        }
    }
    return status;
}
