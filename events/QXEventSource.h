#pragma once
// Objects that raise events: timers, gadgets, canvases, screens.

#include "runtime/QXObject.h"

class QXEventSource : public QXResource {
public:
    // While the program runs, first removes this source's events from both
    // queues, so that no event can be taken with a destroyed source.
    void destroy() override;
    // Posts {id, data, x, y, z} with this object as the source.
    void emit(int id, int data, int x, int y, int z);
};
