#pragma once
// The timer driver: the module that makes timers for CreateTimer.

#include "runtime/QXModule.h"

class QXTimer;

class QXTimerDriver : public QXModule {
public:
    using QXModule::QXModule;
    // A timer ticking `hertz` times a second, already running; null when the
    // rate is not positive or the system cannot provide such a timer.
    virtual QXTimer* createTimer(float hertz) = 0;
};

// The driver that started last and has not stopped; null when none runs.
void setTimerDriver(QXTimerDriver* driver);
QXTimerDriver* timerDriver();

// Milliseconds between ticks at `hertz`: 1000 / hertz truncated toward zero
// (60 gives 16, 30 gives 33, 7 gives 142); 0 when `hertz` is not positive.
// Rates above 1000 get the shortest period, 1 ms; periods beyond the range
// of an integer are capped (no system timer accepts them).
int timerPeriodMs(float hertz);
