#pragma once
// The language's pseudo-random generator: a multiplicative congruential
// generator (multiplier 48271, modulus 2^31 - 1) whose exact sequence
// programs may rely on. One process-wide state serves Rnd, Rand, SeedRnd and
// RndSeed; it starts at 0x1234 and is never seeded from the clock.

#include <cstdint>

class QXRandom {
public:
    static constexpr int kStartState = 0x1234;

    // Advances the state by one step and returns the new state.
    int step();
    // A value in [0, 1): a multiple of 2^-24 from one step.
    double unit();
    // An integer between `from` and `to` inclusive, in either order, from two steps.
    int between(int from, int to);
    // The state becomes `seed` without its top bit; 0 becomes 1.
    void seed(int seed);
    int state() const { return state_; }

private:
    int state_ = kStartState;
};

// The generator the commands use.
QXRandom& programRandom();
