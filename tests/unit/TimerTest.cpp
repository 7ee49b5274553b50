// Timers on real multimedia timers, with the event pump running: counts,
// WaitTimer pacing, reset, pause and resume, freeing while ticking and the
// tick event. The tests count tick events rather than sleep for a time, so
// a loaded machine makes them slower, never wrong.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <climits>
#include <cmath>

#include "TestSupport.h"
#include "core/QXString.h"
#include "events/QXEventDriver.h"
#include "events/QueFilter.h"
#include "events/win32/Win32CatchFilter.h"
#include "events/win32/Win32EventDriver.h"
#include "io/QXTimerDriver.h"
#include "io/win32/Win32Timer.h"
#include "io/win32/Win32TimerDriver.h"
#include "events/QXSourceIds.h"

namespace {
struct TimerCommands {
    int(QXCALL* createTimer)(float) = command<int(QXCALL*)(float)>("%CreateTimer#hertz");
    void(QXCALL* freeTimer)(int) = command<void(QXCALL*)(int)>("FreeTimer%timer");
    int(QXCALL* timerTicks)(int) = command<int(QXCALL*)(int)>("%TimerTicks%timer");
    int(QXCALL* waitTimer)(int) = command<int(QXCALL*)(int)>("%WaitTimer%timer");
    void(QXCALL* resetTimer)(int) = command<void(QXCALL*)(int)>("ResetTimer%timer");
    void(QXCALL* pauseTimer)(int) = command<void(QXCALL*)(int)>("PauseTimer%timer");
    void(QXCALL* resumeTimer)(int) = command<void(QXCALL*)(int)>("ResumeTimer%timer");
    int(QXCALL* waitEvent)(int) = command<int(QXCALL*)(int)>("%WaitEvent%timeout=-1");
    int(QXCALL* eventData)() = command<int(QXCALL*)()>("%EventData");
    int(QXCALL* eventSource)() = command<int(QXCALL*)()>("%EventSource");
};

using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// CPU time the calling thread has used, in milliseconds.
long long threadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<long long>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
               10000;
    };
    return ms(kernel) + ms(user);
}

void discardThreadMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
}

// Takes events until `count` tick events of `timer` have come (others are
// dropped); returns the data of the last one, or 0 when two seconds pass
// without any event.
int takeTickEvents(const TimerCommands& cmd, int timer, int count) {
    int data = 0;
    while (count > 0) {
        const int id = cmd.waitEvent(2000);
        if (id == 0) return 0;
        if (id == EVENT_TIMERTICK && cmd.eventSource() == timer) {
            data = cmd.eventData();
            --count;
        }
    }
    return data;
}

class Timers : public testing::Test {
protected:
    void SetUp() override {
        discardThreadMessages();
        ASSERT_TRUE(startModule(&theWin32TimerDriver));
        ASSERT_TRUE(startModule(&theWin32EventDriver));
        ASSERT_TRUE(startModule(&theWin32CatchFilter));
        ASSERT_TRUE(startModule(&theQueFilter));
    }
    void TearDown() override {
        stopModule(&theQueFilter);
        stopModule(&theWin32CatchFilter);
        stopModule(&theWin32EventDriver);
        stopModule(&theWin32TimerDriver);
        discardThreadMessages();
        resetEventState();
    }

    TimerCommands cmd;
};
}  // namespace

TEST(TimerPeriod, IsAThousandDividedByTheRateTruncated) {
    EXPECT_EQ(timerPeriodMs(60), 16);
    EXPECT_EQ(timerPeriodMs(30), 33);
    EXPECT_EQ(timerPeriodMs(7), 142);
    EXPECT_EQ(timerPeriodMs(1), 1000);
    EXPECT_EQ(timerPeriodMs(1000), 1);
    EXPECT_EQ(timerPeriodMs(5000), 1) << "faster than the system can tick: the shortest period";
    EXPECT_EQ(timerPeriodMs(1e-30f), INT_MAX);
    EXPECT_EQ(timerPeriodMs(0), 0);
    EXPECT_EQ(timerPeriodMs(-5), 0);
    EXPECT_EQ(timerPeriodMs(std::nanf("")), 0);
}

TEST_F(Timers, RatesThatAreNotPositiveOrTooSlowGiveNoTimer) {
    EXPECT_EQ(cmd.createTimer(0), 0);
    EXPECT_EQ(cmd.createTimer(-5), 0);
    EXPECT_EQ(cmd.createTimer(std::nanf("")), 0);
    EXPECT_EQ(cmd.createTimer(1e-30f), 0) << "a period no system timer accepts";

    int fast = cmd.createTimer(5000);
    ASSERT_NE(fast, 0);
    EXPECT_EQ(reinterpret_cast<Win32Timer*>(fast)->periodMs(), 1);
    EXPECT_GE(cmd.waitTimer(fast), 1);
    cmd.freeTimer(fast);
}

TEST_F(Timers, TickEventsCarryTheGrowingCountAndTheFirstWaitSeesThemAll) {
    int timer = cmd.createTimer(100);
    ASSERT_NE(timer, 0);
    EXPECT_EQ(reinterpret_cast<Win32Timer*>(timer)->periodMs(), 10);
    int previous = 0;
    for (int i = 0; i < 5; ++i) {
        const int data = takeTickEvents(cmd, timer, 1);
        ASSERT_GT(data, previous) << "tick " << i;
        EXPECT_LE(data, cmd.timerTicks(timer));
        previous = data;
    }
    // The ticks since creation are there at once.
    const int counted = cmd.timerTicks(timer);
    EXPECT_GE(cmd.waitTimer(timer), counted);
    cmd.freeTimer(timer);
}

TEST_F(Timers, WaitTimerPacesALoopWithoutSpinning) {
    int timer = cmd.createTimer(50);
    ASSERT_NE(timer, 0);
    cmd.waitTimer(timer);
    const int first = cmd.timerTicks(timer);
    auto start = Clock::now();
    const long long cpuBefore = threadCpuMs();
    int counted = 0;
    for (int i = 0; i < 15; ++i) {
        int fresh = cmd.waitTimer(timer);
        ASSERT_GE(fresh, 1);
        counted += fresh;
    }
    const long long elapsed = millisecondsSince(start);
    const long long cpu = threadCpuMs() - cpuBefore;
    EXPECT_GE(elapsed, 150) << "15 waits at 50 Hz";
    EXPECT_LT(cpu, elapsed / 2 + 20) << "waiting must sleep, not spin";
    // Every tick is accounted for exactly once.
    const int last = cmd.timerTicks(timer);
    EXPECT_GE(first + counted, last - 1);
    EXPECT_LE(first + counted, last);
    cmd.freeTimer(timer);
}

TEST_F(Timers, ResetZeroesTheCountAndTheNextWaitWaitsForAFreshTick) {
    int timer = cmd.createTimer(100);
    ASSERT_NE(timer, 0);
    ASSERT_GE(takeTickEvents(cmd, timer, 20), 20);
    const int before = cmd.timerTicks(timer);
    cmd.resetTimer(timer);
    const int afterReset = cmd.timerTicks(timer);
    EXPECT_LT(afterReset, before);
    int fresh = cmd.waitTimer(timer);
    EXPECT_GE(fresh, 1);
    EXPECT_LE(fresh, cmd.timerTicks(timer)) << "counted from the reset, not from creation";
    EXPECT_TRUE(reinterpret_cast<Win32Timer*>(timer)->isTicking()) << "reset leaves it ticking";
    cmd.freeTimer(timer);
}

TEST_F(Timers, PausedTimersKeepTheirCountAndRefuseWaitTimer) {
    int timer = cmd.createTimer(100);
    int clock = cmd.createTimer(100);  // measures the time that passes, in ticks
    ASSERT_NE(timer, 0);
    ASSERT_NE(clock, 0);
    ASSERT_GT(takeTickEvents(cmd, timer, 3), 0);
    cmd.pauseTimer(timer);
    cmd.pauseTimer(timer);  // twice: nothing more
    const int held = cmd.timerTicks(timer);
    EXPECT_GT(held, 0);
    ASSERT_GT(takeTickEvents(cmd, clock, 10), 0);
    EXPECT_EQ(cmd.timerTicks(timer), held);
    EXPECT_EQ(runtimeErrorOf([&] { cmd.waitTimer(timer); }), "WaitTimer used with paused timer");

    cmd.resumeTimer(timer);
    cmd.resumeTimer(timer);  // on a running timer: nothing
    EXPECT_GE(cmd.waitTimer(timer), held) << "the first wait sees every tick since creation";
    const int clockBefore = cmd.timerTicks(clock);
    const int resumedBefore = cmd.timerTicks(timer);
    ASSERT_GT(takeTickEvents(cmd, timer, 10), held) << "counting goes on from the paused value";
    const int clockAdvance = cmd.timerTicks(clock) - clockBefore;
    const int resumedAdvance = cmd.timerTicks(timer) - resumedBefore;
    EXPECT_LE(resumedAdvance, clockAdvance * 3 / 2 + 5) << "one multimedia timer, not two";
    cmd.freeTimer(timer);
    cmd.freeTimer(clock);
}

TEST_F(Timers, FreeingATickingTimerStopsItAndDropsItsPendingTicks) {
    int doomed = cmd.createTimer(500);
    int survivor = cmd.createTimer(500);
    ASSERT_NE(doomed, 0);
    ASSERT_NE(survivor, 0);
    // Both have tick messages waiting in the queue, not yet pumped.
    while (cmd.timerTicks(doomed) < 3 || cmd.timerTicks(survivor) < 3) Sleep(1);
    const std::uint32_t doomedId = reinterpret_cast<Win32Timer*>(doomed)->tickId();
    cmd.freeTimer(doomed);
    EXPECT_FALSE(isLiveObject(reinterpret_cast<void*>(doomed)));
    EXPECT_EQ(sourceIds().find(doomedId), nullptr);
    // A new timer may take the freed one's address: the old ticks must not reach it.
    int successor = cmd.createTimer(1);
    ASSERT_NE(successor, 0);
    int survivorEvents = 0;
    while (survivorEvents < 5) {
        const int id = cmd.waitEvent(2000);
        ASSERT_NE(id, 0) << "the survivor keeps ticking";
        if (id != EVENT_TIMERTICK) continue;
        ASSERT_NE(cmd.eventSource(), doomed);
        if (cmd.eventSource() == successor) {
            EXPECT_LE(cmd.eventData(), cmd.timerTicks(successor));
        }
        if (cmd.eventSource() == survivor) ++survivorEvents;
    }

    EXPECT_EQ(runtimeErrorOf([&] { cmd.timerTicks(doomed); }), successor == doomed ? std::nullopt
                                                                                  : std::optional<std::string>("Invalid Timer handle"));
    EXPECT_EQ(runtimeErrorOf([&] { cmd.freeTimer(0); }), std::nullopt);
    QXString* notATimer = newString("timer");
    EXPECT_EQ(runtimeErrorOf([&] { cmd.waitTimer(handleOf(notATimer)); }), "Invalid Timer handle");
    release(notATimer);
    cmd.freeTimer(survivor);
    cmd.freeTimer(successor);
    EXPECT_EQ(runtimeErrorOf([&] { cmd.freeTimer(survivor); }), "Invalid Timer handle");
}

TEST_F(Timers, TickEventsReachWaitEventWithTheTimerAsSource) {
    int timer = cmd.createTimer(20);
    ASSERT_NE(timer, 0);
    ASSERT_EQ(cmd.waitEvent(2000), EVENT_TIMERTICK);
    EXPECT_EQ(cmd.eventSource(), timer);
    EXPECT_GE(cmd.eventData(), 1);
    EXPECT_LE(cmd.eventData(), cmd.timerTicks(timer));

    // Ticks the program did not take while the pump ran collapse into one
    // event with the newest count.
    const int taken = cmd.eventData();
    while (cmd.timerTicks(timer) < taken + 5) Sleep(1);
    for (int i = 0; i < 30; ++i) pumpOnce();
    ASSERT_EQ(cmd.waitEvent(0), EVENT_TIMERTICK);
    EXPECT_GE(cmd.eventData(), 4);
    EXPECT_GE(cmd.eventData(), cmd.timerTicks(timer) - 1);
    cmd.freeTimer(timer);
}

TEST_F(Timers, StoppingTheDriverFreesItsTimers) {
    int timer = cmd.createTimer(100);
    ASSERT_NE(timer, 0);
    stopModule(&theWin32TimerDriver);
    EXPECT_FALSE(isLiveObject(reinterpret_cast<void*>(timer)));
    EXPECT_EQ(cmd.createTimer(100), 0) << "no timer driver runs";
    ASSERT_TRUE(startModule(&theWin32TimerDriver));
    timer = cmd.createTimer(100);
    EXPECT_NE(timer, 0);
}
