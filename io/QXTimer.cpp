#include "io/QXTimer.h"

#include "events/QXEventDriver.h"
#include "runtime/QXError.h"

void QXTimer::reset() { lastSeen_ = 0; }

void QXTimer::pause(bool flag) { paused_ = flag; }

int QXTimer::takeNewTicks() {
    // One read: a tick arriving in between must not be lost.
    const int now = ticks();
    const int fresh = now - lastSeen_;
    lastSeen_ = now;
    return fresh;
}

int waitTimer(QXTimer& timer) {
    if (timer.isPaused()) runtimeError("WaitTimer used with paused timer");
    pumpOnce();
    for (;;) {
        if (int fresh = timer.takeNewTicks()) return fresh;
        // Every tick is announced by an event, so waiting for the next event
        // without limit never misses one. What is taken here is consumed.
        waitCoreEvent(nullptr, -1, true);
    }
}
