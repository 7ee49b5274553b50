#pragma once
// The Windows timer driver: makes multimedia timers that post their ticks to
// the program thread, and keeps the system timer resolution at 1 ms while it
// runs. It owns every timer it made, so stopping it frees those still alive.

#include <windows.h>

#include "io/QXTimerDriver.h"

class Win32TimerDriver : public QXTimerDriver {
public:
    Win32TimerDriver();

    // Records the calling (program) thread as the target of tick messages,
    // raises the timer resolution and becomes the current timer driver.
    bool startup() override;
    // Restores the resolution. Its timers are gone by now (the module root
    // released them).
    void shutdown() override;
    QXTimer* createTimer(float hertz) override;

private:
    DWORD programThread_ = 0;
    bool raisedResolution_ = false;
};

extern Win32TimerDriver theWin32TimerDriver;
