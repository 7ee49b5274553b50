// Start-up: a bound program that only calls End, a plain program that opens
// and closes one window, and a plain console program, each started 20 times
// from this one process, in turn, and waited for. Medians, and the bound
// program's as a ratio to each plain one's.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

namespace {

constexpr int kStarts = 20;

std::string windowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

// Seconds from CreateProcess until the process has ended; negative when it
// could not start or did not end with status 0.
double startAndWait(const std::string& program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\"";
    const double start = now();
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    const DWORD waited = WaitForSingleObject(process.hProcess, 30000);
    const double seconds = now() - start;
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return waited == WAIT_OBJECT_0 && status == 0 ? seconds : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main() {
    const std::string programs[] = {windowsPath(QX_BUILD_DIR "/bench-programs/startup_end.exe"),
                                    windowsPath(QX_BUILD_DIR "/bin/startup_plain_window.exe"),
                                    windowsPath(QX_BUILD_DIR "/bin/startup_plain_console.exe")};
    std::vector<double> times[3];
    bool allEnded = true;
    // One start of each first, untimed: the files are then in the cache for all.
    for (const std::string& program : programs) allEnded = startAndWait(program) >= 0 && allEnded;
    for (int round = 0; round < kStarts; ++round)
        for (int i = 0; i < 3; ++i) {
            const double seconds = startAndWait(programs[i]);
            if (seconds < 0) allEnded = false;
            else times[i].push_back(seconds);
        }
    if (!allEnded) std::printf("a program did not start or did not end with status 0\n");
    const double bound = median(times[0]), window = median(times[1]), console = median(times[2]);
    std::printf("start-up, median of %d starts: bound program that only ends %.0f ms, plain window program %.0f ms, "
                "plain console program %.0f ms\n",
                kStarts, bound * 1e3, window * 1e3, console * 1e3);
    plainFigure("start-up medians", allEnded, "%.0f ms bound, %.0f ms plain window, %.0f ms console", bound * 1e3,
                window * 1e3, console * 1e3);
    costFigure("start-up of a bound program that only ends", bound, window, "plain program opening one window", 1.5,
               allEnded);
    costFigure("start-up of a bound program, against a console program", bound, console, "plain console program", 0,
               allEnded);
    return benchStatus();
}
