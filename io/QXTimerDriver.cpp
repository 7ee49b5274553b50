#include "io/QXTimerDriver.h"

#include <climits>

namespace {
QXTimerDriver* currentDriver = nullptr;
}  // namespace

void setTimerDriver(QXTimerDriver* driver) { currentDriver = driver; }
QXTimerDriver* timerDriver() { return currentDriver; }

int timerPeriodMs(float hertz) {
    if (!(hertz > 0)) return 0;  // NaN included
    const double period = 1000.0 / static_cast<double>(hertz);
    if (period >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (period < 1.0) return 1;
    return static_cast<int>(period);
}
