#pragma once
// Timers: event sources that tick at a fixed rate. Each tick is counted and
// announced to the program thread, where it becomes a timer-tick event
// (0x4001, data = the count, source = the timer); WaitTimer locks a
// program's main loop to the timer's rate.

#include "events/QXEventSource.h"

class QXTimer : public QXEventSource {
public:
    // Slot order is part of the binary contract: these three follow the
    // slots of QXEventSource, in this order.

    // Ticks counted since creation or the last reset.
    virtual int ticks() = 0;
    // Tick count and last-seen count become 0; whether it ticks is unchanged.
    virtual void reset();
    // Stops (true) or resumes (false) ticking; the count is kept either way.
    virtual void pause(bool flag);

    bool isPaused() const { return paused_; }
    // The ticks since the previous call (or since creation or reset); the
    // count read is remembered as the last-seen count.
    int takeNewTicks();

protected:
    int lastSeen_ = 0;
    bool paused_ = false;
};

// WaitTimer: lets the pump run once, then waits (taking and discarding
// events, never spinning) until the timer has ticked since the last call;
// returns how many ticks passed. A paused timer stops the program with
// "WaitTimer used with paused timer".
int waitTimer(QXTimer& timer);
