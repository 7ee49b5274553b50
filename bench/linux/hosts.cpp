// The Linux host against Wine, from one native process on the same machine:
// a bound program that only ends started 20 times by each, in turn
// (medians), and the game demo's frames per second under each. Both sides
// must end with status 0 every time, and both game runs must log the same
// game. (hello itself waits for its Input under plain wine, which gives a
// bound program a console of its own rather than this process's input.)
//
//     bench_linux_hosts BUILD_DIR        (wine on PATH, WINEPREFIX set, a display)

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kStarts = 20;
constexpr int kFrames = 2000;

struct Run {
    double seconds = -1;  // negative: did not start or did not end with status 0
    std::string output;
};

// Runs `words`, its standard output into a file, standard input empty.
Run run(const std::vector<std::string>& words, const std::string& outputFile) {
    std::vector<char*> argv;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Run result;
    const auto started = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return result;
    int status = 0;
    waitpid(child, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::ifstream in(outputFile);
    std::stringstream text;
    text << in.rdbuf();
    result.output = text.str();
    std::erase(result.output, '\r');
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) result.seconds = seconds;
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void row(const char* figure, const std::string& result, const char* yardstick, const char* target, const char* met) {
    std::printf("@@|%s|%s|%s|%s|%s\n", figure, result.c_str(), yardstick, target, met);
}

// The demo's frames per second from its last line, 0 when missing.
double framesPerSecond(const std::string& output) {
    const std::size_t at = output.rfind("frames per second ");
    return at == std::string::npos ? 0 : std::atof(output.c_str() + at + 18);
}

// The demo's log up to its timings, which vary from run to run.
std::string gameLog(const std::string& output) {
    const std::size_t start = output.find("frame ");
    const std::size_t end = output.find("first frame after");
    return start == std::string::npos || end == std::string::npos || end < start ? "" : output.substr(start, end - start);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_linux_hosts BUILD_DIR\n");
        return 2;
    }
    const std::string build = argv[1];
    const std::string qxlinux = build + "/linux/bin/qxlinux";
    const std::string program = build + "/bench-programs/startup_end.exe";
    const std::string scratch = (std::filesystem::temp_directory_path() / ("qx-bench-hosts-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(scratch);
    const std::string out = scratch + "/out.txt";
    int failures = 0;

    std::vector<double> native, wine;
    bool ended = true;
    for (int i = 0; i < kStarts; ++i) {
        Run n = run({qxlinux, program}, out);
        Run w = run({"wine", program}, out);
        if (n.seconds < 0 || w.seconds < 0) ended = false;
        native.push_back(n.seconds * 1000);
        wine.push_back(w.seconds * 1000);
    }
    const double nativeMs = median(native), wineMs = median(wine);
    std::printf("a bound program that only ends, started %d times: %.1f ms natively, %.1f ms under Wine (medians)\n", kStarts, nativeMs, wineMs);
    char text[120];
    std::snprintf(text, sizeof text, "%.1f ms, %.0fx faster", nativeMs, nativeMs > 0 ? wineMs / nativeMs : 0);
    const bool startupMet = nativeMs > 0 && wineMs >= 10 * nativeMs;
    row("start-up of a bound program, Linux host", ended ? text : "CHECK FAILED", "the same file under Wine", ">= 10x faster",
        ended ? (startupMet ? "yes" : "no") : "CHECK FAILED");
    failures += ended ? 0 : 1;

    // The game demo: natively, and under Wine through its runner (a bound
    // program's output reaches no pipe otherwise), Native driver both.
    std::filesystem::create_directories(scratch + "/native");
    std::filesystem::create_directories(scratch + "/wine");
    const std::string game = build + "/examples/game.exe";
    const std::string frames = std::to_string(kFrames);
    Run n = run({qxlinux, game, "demo", frames, "1", scratch + "/native"}, out);
    Run w = run({"wine", build + "/bin/qxrun.exe", "--timeout", "120000", "Z:" + game, "demo", frames, "1", "Z:" + scratch + "/wine"},
                out);
    const double nativeFps = framesPerSecond(n.output), wineFps = framesPerSecond(w.output);
    const bool sameGame = n.seconds >= 0 && w.seconds >= 0 && !gameLog(n.output).empty() &&
                          gameLog(n.output) == gameLog(w.output);
    std::printf("game demo, %d frames: %.0f frames/s natively, %.0f under Wine\n", kFrames, nativeFps, wineFps);
    std::snprintf(text, sizeof text, "%.0f frames/s, %.1fx", nativeFps, wineFps > 0 ? nativeFps / wineFps : 0);
    row("game demo, Linux host", sameGame ? text : "CHECK FAILED", "the same file under Wine (Native driver)", "-",
        sameGame ? "-" : "CHECK FAILED");
    failures += sameGame ? 0 : 1;

    std::filesystem::remove_all(scratch);
    return failures == 0 ? 0 : 1;
}
