#include "events/QXEventDriver.h"

#include <chrono>
#include <thread>

#include "events/QXEventQueue.h"
#include "events/QXHotKeys.h"
#include "events/QXInputState.h"
#include "events/QueFilter.h"
#include "runtime/QXError.h"

namespace {
QXEventDriver* driver = nullptr;
QXBeforeWaitHook beforeWaitHooks[kMaxBeforeWaitHooks] = {};

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The main queue has precedence: ticks are delivered only when nothing else waits.
QXEventQueue* nextQueue() {
    if (!mainQueue().empty()) return &mainQueue();
    if (!tickQueue().empty()) return &tickQueue();
    return nullptr;
}

int takeFrom(QXEventQueue& queue, QXEvent* destination, bool remove) {
    const QXEvent event = queue.oldest();
    if (destination) *destination = event;
    if (remove) queue.removeOldest();
    return event.id;
}

void noteModalLoop(int id) {
    if (id == EVENT_MODALENTER) appState().inModalLoop = true;
    if (id == EVENT_MODALEXIT) appState().inModalLoop = false;
}
}  // namespace

void setEventDriver(QXEventDriver* newDriver) { driver = newDriver; }
QXEventDriver* eventDriver() { return driver; }

bool addBeforeWaitHook(QXBeforeWaitHook hook) {
    for (QXBeforeWaitHook& slot : beforeWaitHooks)
        if (!slot || slot == hook) {
            slot = hook;
            return true;
        }
    return false;
}

void removeBeforeWaitHook(QXBeforeWaitHook hook) {
    for (QXBeforeWaitHook& slot : beforeWaitHooks)
        if (slot == hook) slot = nullptr;
}

void runBeforeWaitHooks() {
    for (QXBeforeWaitHook hook : beforeWaitHooks)
        if (hook) hook();
}

void driverWait(int timeoutMs) {
    runBeforeWaitHooks();
    if (driver) {
        driver->wait(timeoutMs);
    } else if (timeoutMs != 0) {
        // Nothing can arrive without a driver; just let a little time pass.
        int step = timeoutMs < 0 || timeoutMs > 10 ? 10 : timeoutMs;
        std::this_thread::sleep_for(std::chrono::milliseconds(step));
    }
}

int takeEvent(QXEvent* destination, int timeoutMs, bool remove) {
    if (!mainQueue().empty()) return takeFrom(mainQueue(), destination, remove);
    const long long deadline = timeoutMs > 0 ? nowMs() + timeoutMs : 0;
    if (!tickQueue().empty()) {
        // Give newer input the chance to overtake the tick.
        driverWait(0);
        if (QXEventQueue* queue = nextQueue()) return takeFrom(*queue, destination, remove);
    }
    for (;;) {
        driverWait(timeoutMs);
        if (QXEventQueue* queue = nextQueue()) return takeFrom(*queue, destination, remove);
        if (timeoutMs == 0) return 0;
        if (timeoutMs > 0) {
            long long left = deadline - nowMs();
            if (left <= 0) return 0;
            timeoutMs = static_cast<int>(left);
        }
    }
}

int waitCoreEvent(QXEvent* destination, int timeoutMs, bool remove) {
    QXAppState& state = appState();
    int id = takeEvent(destination, timeoutMs, remove);
    noteModalLoop(id);
    while (state.paused) {
        if (state.endRequested) qxEnd();
        id = takeEvent(destination, -1, remove);
        noteModalLoop(id);
        // Events seen while the pause lasts are consumed, by a peek as well:
        // otherwise a peek would find the same event again and again.
        if (!remove && state.paused)
            if (QXEventQueue* queue = nextQueue()) queue->removeOldest();
    }
    return id;
}

void pumpOnce() {
    QXAppState& state = appState();
    // Inside a modal loop the pump blocks in Windows' own message loop.
    if (state.inModalLoop) return;
    driverWait(0);
    while (state.paused) {
        if (state.endRequested) qxEnd();
        driverWait(-1);
    }
}

void flushEvents(int kind, int source) {
    mainQueue().flush(kind, source);
    tickQueue().flush(kind, source);
}

QXEvent& currentEvent() {
    static constinit QXEvent event = {};
    return event;
}

void resetEventState() {
    mainQueue().clear();
    tickQueue().clear();
    appState() = QXAppState{};
    currentEvent() = QXEvent{};
    hotKeys().clear();
    clearModifierSet();
    inputState().clear();
}
