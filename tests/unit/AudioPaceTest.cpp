// The pace that holds a device asking faster than it plays (ALSA's null
// device) to real time: a consumer that never blocks is held once it is
// `ahead` early, one that asks at the device's own pace is never held, a
// stalled one is not let to catch up in a burst, and a card whose clock runs
// a little fast is not held.

#include <gtest/gtest.h>

#include <cstdint>

#include "audio/engine/QXOutputPace.h"

namespace {
constexpr int kRate = 44100;
constexpr int kPeriod = 441;     // 10 ms
constexpr int kAhead = 4410;     // 100 ms

// Runs `requests` requests of kPeriod frames, the consumer asking every
// `everyUs` (0: at once after the last wait); returns the total wait and the
// clock at the end.
struct Consumed {
    std::int64_t waitedUs = 0;
    std::int64_t clockUs = 0;
};
Consumed consume(QXOutputPace& pace, int requests, std::int64_t everyUs, std::int64_t startUs = 1000000) {
    Consumed run;
    run.clockUs = startUs;
    for (int i = 0; i < requests; ++i) {
        const std::int64_t wait = pace.delayBefore(run.clockUs, kPeriod);
        EXPECT_GE(wait, 0);
        run.waitedUs += wait;
        run.clockUs += wait + everyUs;
    }
    return run;
}
}  // namespace

TEST(AudioPace, HoldsAConsumerThatNeverBlocksToRealTime) {
    struct Case {
        const char* what;
        std::int64_t everyUs;      // the consumer's own interval between requests
        double minWaitSeconds, maxWaitSeconds;
    };
    // 1000 requests of 10 ms are 10 s of sound.
    for (const Case& c : {Case{"never blocks", 0, 9.7, 9.9},
                          Case{"asks at the device's pace", 10000, 0.0, 0.0},
                          Case{"a card 0.3 % fast", 9970, 0.0, 0.0},
                          Case{"twice as fast", 5000, 4.7, 4.95}}) {
        QXOutputPace pace(kRate, kAhead);
        Consumed run = consume(pace, 1000, c.everyUs);
        const double waited = run.waitedUs / 1e6;
        EXPECT_GE(waited, c.minWaitSeconds) << c.what;
        EXPECT_LE(waited, c.maxWaitSeconds) << c.what;
    }
}

TEST(AudioPace, AStalledConsumerIsNotLetToCatchUpInABurst) {
    QXOutputPace pace(kRate, kAhead);
    Consumed first = consume(pace, 100, 10000);  // one second at its pace
    EXPECT_EQ(first.waitedUs, 0);
    // Stalled for five seconds, then asking without blocking: after the
    // allowance it is held again, not given the five seconds at once.
    Consumed after = consume(pace, 100, 0, first.clockUs + 5000000);
    const std::int64_t allowanceUs = 1000000LL * kAhead / kRate;
    EXPECT_NEAR(after.waitedUs / 1e6, 1.0 - allowanceUs / 1e6, 0.05);
}

TEST(AudioPace, KeepsTimeAfterAMonthOfSound) {
    // Requests of 2^31 - 1 frames (13.5 hours each) at their own pace, then
    // one asked too early: it waits as long as it is early, past the allowance.
    QXOutputPace pace(kRate, kAhead);
    const int huge = 2147483647;
    const std::int64_t hugeUs = static_cast<std::int64_t>(huge) * 1000000 / kRate;
    std::int64_t clockUs = 0;
    for (int i = 0; i < 60; ++i, clockUs += hugeUs) ASSERT_EQ(pace.delayBefore(clockUs, huge), 0) << i;
    // Slower than the pace allows (it has 0.5 % to spare), the consumer was
    // caught up at each request: the next is due one request's time (less
    // 0.5 %) after the last. Asking 10 s before that waits 10 s less the allowance.
    const std::int64_t dueUs = 59 * hugeUs + static_cast<std::int64_t>(huge * 1e6 / (kRate * 1.005));
    EXPECT_NEAR(pace.delayBefore(dueUs - 10000000, kPeriod) / 1e6, 10.0 - 0.1, 0.01);
}

TEST(AudioPace, NothingAskedWaitsNothing) {
    QXOutputPace pace(kRate, 0);
    EXPECT_EQ(pace.delayBefore(5, 0), 0);
    EXPECT_EQ(pace.delayBefore(5, -3), 0);  // a negative request counts as none
    QXOutputPace odd(0, 100);                // a rate of 0 is taken as 1, never a division by 0
    EXPECT_GE(odd.delayBefore(0, 10), 0);
}
