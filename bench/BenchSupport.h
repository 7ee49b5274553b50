#pragma once
// What the benchmarks share beside the clock: commands looked up in the
// registry, as compiled code reaches them, and the best rate of a timed pass.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "bench/BenchClock.h"
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
