#include "events/QXEventSource.h"

#include "events/QXEventDriver.h"
#include "events/QXEventFilter.h"
#include "runtime/QXRuntime.h"

void QXEventSource::destroy() {
    if (executionState() == kStateRunning) flushEvents(-1, handleOf(this));
    QXResource::destroy();
}

void QXEventSource::emit(int id, int data, int x, int y, int z) {
    postEvent(QXEvent{id, data, x, y, z, handleOf(this)});
}
