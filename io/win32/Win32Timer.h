#pragma once
// The Windows timer: a periodic multimedia timer whose callback, on a
// system thread, only counts the tick and posts the tick thread message
// (wParam = the new count, lParam = the timer's source id) to the program
// thread. The event pump turns that message into the timer-tick event, or
// drops it when the id no longer names a timer.

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "events/win32/Win32ThreadMessages.h"
#include "io/QXTimer.h"

class Win32Timer final : public QXTimer {
public:
    // Not ticking yet: start() begins.
    Win32Timer(int periodMs, DWORD programThread);
    ~Win32Timer() override;

    // Starts the multimedia timer; false when the system refuses the period
    // (or no source id can be had).
    bool start();
    // Stops ticking before anything else goes, so no callback can run on a
    // timer that is being destroyed; its id stops resolving, so ticks still
    // on their way are dropped by the pump.
    void destroy() override;

    int ticks() override;
    void reset() override;
    void pause(bool flag) override;

    int periodMs() const { return periodMs_; }
    bool isTicking() const { return timerId_ != 0; }
    std::uint32_t tickId() const { return tickId_; }

private:
    static void CALLBACK onTick(UINT timerId, UINT message, DWORD_PTR self, DWORD_PTR, DWORD_PTR);
    void stop();
    void dropTickId();

    const int periodMs_;
    const DWORD programThread_;
    // Incremented on the multimedia-timer thread; read on the program thread.
    std::atomic<int> count_{0};
    bool stopped_ = false;  // its own paused state
    UINT timerId_ = 0;      // 0 when no multimedia timer runs
    std::uint32_t tickId_ = 0;  // set before the first start, constant while ticking
};
