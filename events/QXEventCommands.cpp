// The event commands: waiting, peeking, the current event's fields, flushing
// and the suspend policy.

#include "events/QXEventDriver.h"
#include "events/QueFilter.h"
#include "runtime/QXRegistry.h"

namespace {
int QXCALL WaitEvent(int timeout) {
    QXEvent& current = currentEvent();
    current = QXEvent{};
    return waitCoreEvent(&current, timeout, true);
}

int QXCALL PeekEvent() { return waitCoreEvent(nullptr, 0, false); }

int QXCALL EventID() { return currentEvent().id; }
int QXCALL EventData() { return currentEvent().data; }
int QXCALL EventX() { return currentEvent().x; }
int QXCALL EventY() { return currentEvent().y; }
int QXCALL EventZ() { return currentEvent().z; }
int QXCALL EventSource() { return currentEvent().source; }

void QXCALL FlushEvents(int kind, int source) {
    pumpOnce();
    flushEvents(kind, source);
}

// Takes effect at the next suspend or resume.
void QXCALL AutoSuspend(int enable) { appState().autoSuspend = enable != 0; }

const QXSymbol commands[] = {
    QX_COMMAND("%WaitEvent%timeout=-1", WaitEvent),
    QX_COMMAND("%PeekEvent", PeekEvent),
    QX_COMMAND("%EventID", EventID),
    QX_COMMAND("%EventData", EventData),
    QX_COMMAND("%EventX", EventX),
    QX_COMMAND("%EventY", EventY),
    QX_COMMAND("%EventZ", EventZ),
    QX_COMMAND("%EventSource", EventSource),
    QX_COMMAND("FlushEvents%kind=-1%source=0", FlushEvents),
    QX_COMMAND("AutoSuspend%enable", AutoSuspend),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Graphics, commands);
}  // namespace
