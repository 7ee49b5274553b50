#include "events/Q2DEventFilter.h"

#include "events/QXInputState.h"

Q2DEventFilter::Q2DEventFilter() : QXEventFilter(kPriority) { registerModule("Q2DEventFilter", nullptr, nullptr); }

QX_MODULE_INSTANCE(Q2DEventFilter, 10);

void Q2DEventFilter::filter(const QXEvent& event) {
    inputState().observe(event);
    passOn(event);
}
