#include "io/win32/Win32Timer.h"

#include <mmsystem.h>

#include "events/QXSourceIds.h"

static_assert(std::atomic<int>::is_always_lock_free, "the tick callback may not take a lock");

Win32Timer::Win32Timer(int periodMs, DWORD programThread) : periodMs_(periodMs), programThread_(programThread) {}

Win32Timer::~Win32Timer() {
    stop();
    dropTickId();
}

// Runs on the multimedia-timer thread: touches nothing but the count and the
// program thread's message queue.
void CALLBACK Win32Timer::onTick(UINT, UINT, DWORD_PTR self, DWORD_PTR, DWORD_PTR) {
    auto* timer = reinterpret_cast<Win32Timer*>(self);
    const int count = timer->count_.fetch_add(1, std::memory_order_relaxed) + 1;
    PostThreadMessageA(timer->programThread_, kTimerTickMessage, static_cast<WPARAM>(count),
                       static_cast<LPARAM>(timer->tickId_));
}

bool Win32Timer::start() {
    if (timerId_) return true;
    if (!tickId_) tickId_ = sourceIds().add(this);
    if (!tickId_) return false;
    // Synchronous kill: once timeKillEvent returns, no callback runs any more.
    timerId_ = timeSetEvent(static_cast<UINT>(periodMs_), 0, &Win32Timer::onTick, reinterpret_cast<DWORD_PTR>(this),
                            TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    return timerId_ != 0;
}

void Win32Timer::stop() {
    if (!timerId_) return;
    timeKillEvent(timerId_);
    timerId_ = 0;
}

void Win32Timer::destroy() {
    stop();
    dropTickId();
    QXTimer::destroy();
}

void Win32Timer::dropTickId() {
    sourceIds().remove(tickId_);
    tickId_ = 0;
}

int Win32Timer::ticks() { return count_.load(std::memory_order_relaxed); }

void Win32Timer::reset() {
    count_.store(0, std::memory_order_relaxed);
    QXTimer::reset();
}

void Win32Timer::pause(bool flag) {
    if (flag == stopped_) return;
    if (flag) {
        stop();
        stopped_ = true;
    } else {
        // A timer that cannot be restarted stays paused, so that WaitTimer
        // reports it rather than waiting for ticks that never come.
        stopped_ = !start();
    }
    QXTimer::pause(stopped_);
}
