#pragma once
// What the benchmarks share beside the clock: commands looked up in the
// registry, as compiled code reaches them, the best rate of a timed pass, and
// the figures scripts/bench gathers into its table.

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "bench/BenchClock.h"
#include "runtime/QXDebugger.h"
#include "runtime/QXRegistry.h"

// The registered command `signature` as a function of type Fn; a benchmark
// cannot go on without it.
template <class Fn> Fn commandAt(const char* signature) {
    const QXSymbol* symbol = findRegisteredSymbol(signature);
    if (!symbol) {
        std::fprintf(stderr, "missing command %s\n", signature);
        std::exit(1);
    }
    return reinterpret_cast<Fn>(symbol->address);
}

// Operations per second of `pass`, which performs `count` of them: the best of `repeats` passes.
inline double bestRate(int count, int repeats, const std::function<void()>& pass) {
    double best = 1e30;
    for (int repeat = 0; repeat < repeats; ++repeat) {
        const double start = now();
        pass();
        best = std::min(best, now() - start);
    }
    return count / best;
}

namespace bench {

// A runtime error in a benchmark would show a message box and wait for a
// person that never comes (the run has no one at the display): print it and
// leave instead. Output is unbuffered so a benchmark cut short by its time
// limit still shows how far it got.
class ExitingDebugger : public QXDebugger {
public:
    void debugError(const char* text, int) override {
        std::printf("runtime error: %s\n", text);
        std::fflush(stdout);
        std::_Exit(3);
    }
};

inline int& failedChecks() {
    static int failed = 0;
    return failed;
}

inline const bool prepared = [] {
    static ExitingDebugger debugger;
    setCurrentDebugger(&debugger);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    return true;
}();

// One table row: "@@|figure|result|yardstick|target|met", besides the readable line.
inline void row(const char* name, const char* result, const char* yardstick, const char* target, const char* met) {
    std::printf("@@|%s|%s|%s|%s|%s\n", name, result, yardstick, target, met);
}

inline const char* verdict(bool checked, bool hasTarget, bool met) {
    if (!checked) {
        ++failedChecks();
        return "CHECK FAILED";
    }
    if (!hasTarget) return "-";
    return met ? "yes" : "no";
}

inline void formatShare(char* out, std::size_t size, double share) {
    if (share < 0.2)
        std::snprintf(out, size, "1/%.1f", 1.0 / share);
    else
        std::snprintf(out, size, "%.0f%%", share * 100);
}

}  // namespace bench

// A cost against its yardstick measured in the same run (times, or times per
// operation, in any one unit): lower is better; `target` is the highest ratio
// allowed (0: no target). `checked` says the work's result matched the
// yardstick's.
inline void costFigure(const char* name, double ours, double yardstick, const char* yardstickName, double target,
                       bool checked) {
    const double ratio = ours / yardstick;
    char result[32], against[96], limit[32];
    std::snprintf(result, sizeof result, "%.2fx", ratio);
    std::snprintf(against, sizeof against, "%s", yardstickName);
    if (target > 0)
        std::snprintf(limit, sizeof limit, "<= %.2gx", target);
    else
        std::snprintf(limit, sizeof limit, "-");
    if (!checked) std::printf("%s: CHECK FAILED\n", name);
    bench::row(name, result, against, limit, bench::verdict(checked, target > 0, ratio <= target));
}

// A rate against its yardstick's rate: higher is better; `target` is the
// lowest share allowed (0: no target).
inline void rateFigure(const char* name, double ours, double yardstick, const char* yardstickName, double target,
                       bool checked) {
    const double share = ours / yardstick;
    char result[32], limit[32];
    bench::formatShare(result, sizeof result, share);
    if (target > 0) {
        char t[24];
        bench::formatShare(t, sizeof t, target);
        std::snprintf(limit, sizeof limit, ">= %s", t);
    } else {
        std::snprintf(limit, sizeof limit, "-");
    }
    if (!checked) std::printf("%s: CHECK FAILED\n", name);
    bench::row(name, result, yardstickName, limit, bench::verdict(checked, target > 0, share >= target));
}

// A figure with no yardstick (frames per second, a share of real time).
inline void plainFigure(const char* name, bool checked, const char* format, ...) __attribute__((format(printf, 3, 4)));
inline void plainFigure(const char* name, bool checked, const char* format, ...) {
    char value[96];
    va_list args;
    va_start(args, format);
    std::vsnprintf(value, sizeof value, format, args);
    va_end(args);
    if (!checked) std::printf("%s: CHECK FAILED\n", name);
    bench::row(name, value, "-", "-", bench::verdict(checked, false, true));
}

// What main returns: failure when any check failed.
inline int benchStatus() { return bench::failedChecks() ? 1 : 0; }
