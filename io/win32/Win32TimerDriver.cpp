#include "io/win32/Win32TimerDriver.h"

#include <mmsystem.h>

#include <new>

#include "io/win32/Win32Timer.h"

namespace {
constexpr UINT kTimerResolutionMs = 1;
}  // namespace

Win32TimerDriver::Win32TimerDriver() { registerModule("Win32TimerDriver", nullptr, nullptr); }

QX_MODULE_INSTANCE(Win32TimerDriver, 13);

bool Win32TimerDriver::startup() {
    programThread_ = GetCurrentThreadId();
    // A thread gets its message queue on its first message call; ticks
    // posted before that would be refused.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    raisedResolution_ = timeBeginPeriod(kTimerResolutionMs) == TIMERR_NOERROR;
    setTimerDriver(this);
    return true;
}

void Win32TimerDriver::shutdown() {
    if (timerDriver() == this) setTimerDriver(nullptr);
    if (raisedResolution_) timeEndPeriod(kTimerResolutionMs);
    raisedResolution_ = false;
}

QXTimer* Win32TimerDriver::createTimer(float hertz) {
    const int period = timerPeriodMs(hertz);
    if (period <= 0) return nullptr;
    auto* timer = new (std::nothrow) Win32Timer(period, programThread_);
    if (!timer) return nullptr;
    if (!timer->start()) {
        release(timer);
        return nullptr;
    }
    addModuleResource(timer);
    return timer;
}
