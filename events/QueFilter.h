#pragma once
// The last filter of the chain: stores events in the main and tick queues and
// keeps the application state (suspend, debugger pause, end request).

#include "events/QXEventFilter.h"

// Process-wide flags, all false at start.
struct QXAppState {
    bool suspended = false;
    bool debugStopped = false;
    bool autoSuspend = false;
    bool paused = false;  // the program must not run
    bool endRequested = false;
    bool inModalLoop = false;
};

QXAppState& appState();

class QueFilter : public QXEventFilter {
public:
    QueFilter();
    // Placed in the chain at static construction: start and stop leave it there.
    bool startup() override { return true; }
    void shutdown() override {}
    void filter(const QXEvent& event) override;

private:
    void storeMove(const QXEvent& event);
    void storeTick(const QXEvent& event);
    void suspend(const QXEvent& event);
    void resume(const QXEvent& event);
    void debugStop();
    void debugContinue();
    void debugEnd(const QXEvent& event);
};

extern QueFilter theQueFilter;
