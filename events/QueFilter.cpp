#include "events/QueFilter.h"

#include "events/QXEventQueue.h"
#include "runtime/QXDebugger.h"

QXAppState& appState() {
    static constinit QXAppState state;
    return state;
}

QueFilter::QueFilter() : QXEventFilter(0) {
    registerModule("QXQueFilter", nullptr, nullptr);
    // The chain is empty at static construction; the storing filter heads it
    // from the start so that posting works before any module runs.
    chain().setHead(this);
}

QX_MODULE_INSTANCE(QueFilter, 3);

void QueFilter::filter(const QXEvent& event) {
    switch (event.id) {
    case EVENT_MOUSEMOVE: storeMove(event); break;
    case EVENT_APPSUSPEND: suspend(event); break;
    case EVENT_APPRESUME: resume(event); break;
    case EVENT_TIMERTICK: storeTick(event); break;
    case EVENT_DEBUGSTOP: debugStop(); break;
    case EVENT_DEBUGCONTINUE: debugContinue(); break;
    case EVENT_DEBUGEND: debugEnd(event); break;
    default: mainQueue().append(event); break;
    }
}

// Consecutive moves from one source collapse into the latest.
void QueFilter::storeMove(const QXEvent& event) {
    QXEventQueue& queue = mainQueue();
    if (!queue.empty()) {
        QXEvent& newest = queue.newest();
        if (newest.id == EVENT_MOUSEMOVE && newest.source == event.source) {
            newest = event;
            return;
        }
    }
    queue.append(event);
}

// One pending tick per source, carrying the newest count.
void QueFilter::storeTick(const QXEvent& event) {
    if (QXEvent* pending = tickQueue().find(event.id, event.source))
        *pending = event;
    else
        tickQueue().append(event);
}

void QueFilter::suspend(const QXEvent& event) {
    QXAppState& state = appState();
    if (state.suspended) return;
    state.suspended = true;
    state.paused = state.debugStopped || state.autoSuspend;
    mainQueue().append(event);
}

void QueFilter::resume(const QXEvent& event) {
    QXAppState& state = appState();
    if (!state.suspended) return;
    state.suspended = false;
    state.paused = state.debugStopped;
    mainQueue().append(event);
}

void QueFilter::debugStop() {
    QXAppState& state = appState();
    if (state.debugStopped) return;
    state.debugStopped = true;
    state.paused = true;
    currentDebugger()->debugStop();
}

void QueFilter::debugContinue() {
    QXAppState& state = appState();
    if (!state.debugStopped) return;
    state.debugStopped = false;
    state.paused = state.suspended && state.autoSuspend;
    currentDebugger()->debugRun();
}

void QueFilter::debugEnd(const QXEvent& event) {
    QXAppState& state = appState();
    state.endRequested = true;
    state.paused = true;
    mainQueue().append(event);
}
