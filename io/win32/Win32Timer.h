#pragma once
// The Windows timer: a periodic multimedia timer whose callback, on a
// system thread, only counts the tick and posts thread message 0x404
// (wParam = the new count, lParam = the timer) to the program thread. The
// event pump turns that message into the timer-tick event.

#include <windows.h>

#include <atomic>

#include "io/QXTimer.h"

// The thread message a tick posts to the program thread.
constexpr UINT kTimerTickMessage = WM_USER + 4;

class Win32Timer final : public QXTimer {
public:
    // Not ticking yet: start() begins.
    Win32Timer(int periodMs, DWORD programThread);
    ~Win32Timer() override;

    // Starts the multimedia timer; false when the system refuses the period.
    bool start();
    // Stops ticking before anything else goes, so no callback can run on a
    // timer that is being destroyed, and drops its ticks still on their way.
    void destroy() override;

    int ticks() override;
    void reset() override;
    void pause(bool flag) override;

    int periodMs() const { return periodMs_; }
    bool isTicking() const { return timerId_ != 0; }

private:
    static void CALLBACK onTick(UINT timerId, UINT message, DWORD_PTR self, DWORD_PTR, DWORD_PTR);
    void stop();
    void discardPendingTicks();

    const int periodMs_;
    const DWORD programThread_;
    // Incremented on the multimedia-timer thread; read on the program thread.
    std::atomic<int> count_{0};
    bool stopped_ = false;  // its own paused state
    UINT timerId_ = 0;      // 0 when no multimedia timer runs
};
