#pragma once
// The event driver (the source of Windows input) and the reads of the queues
// that every waiting or polling command goes through.

#include "events/QXEvent.h"
#include "runtime/QXModule.h"

class QXEventDriver : public QXModule {
public:
    using QXModule::QXModule;
    // Lets input arrive: timeout in milliseconds, negative = without limit,
    // 0 = do not wait. Returns early once an event has been raised.
    virtual void wait(int timeoutMs) = 0;
};

// The driver registered by the running event module; without one, waiting
// only lets time pass.
void setEventDriver(QXEventDriver* driver);
QXEventDriver* eventDriver();
void driverWait(int timeoutMs);

// Work due before the program lets time pass or polls input: a subsystem
// that holds output back to batch it lets it go here. Hooks run on the
// program's thread and must not raise; at most kMaxBeforeWaitHooks.
using QXBeforeWaitHook = void (*)();
constexpr int kMaxBeforeWaitHooks = 4;
bool addBeforeWaitHook(QXBeforeWaitHook hook);
void removeBeforeWaitHook(QXBeforeWaitHook hook);
// Runs the hooks; driverWait does so first, and so does every other wait.
void runBeforeWaitHooks();

// The basic queue read: the oldest event of the main queue, else of the tick
// queue, waiting up to `timeoutMs` for one. Copies it to `destination` (when
// given), removes it when `remove` is set, and returns its id; 0 when none came.
int takeEvent(QXEvent* destination, int timeoutMs, bool remove);
// takeEvent plus the modal-loop flag and the pause: while paused, events are
// consumed (the program ends instead when an end was requested).
int waitCoreEvent(QXEvent* destination, int timeoutMs, bool remove);
// Lets the pump run once without waiting, then honours a pause. Every input
// poll calls it first; the queues are not read.
void pumpOnce();
// Removes matching events from the main queue and then from the tick queue
// (QXEventQueue::flush).
void flushEvents(int kind, int source);

// The event WaitEvent took last, read by EventID ... EventSource.
QXEvent& currentEvent();

// Forgets everything a previous program left: both queues, the application
// state, the current event, the hot keys, the modifier set and the polled
// keyboard and mouse state.
void resetEventState();
