#pragma once
// The input-state member of the event chain: after the catch filter, before
// the queue. It watches every event and never consumes one.

#include "events/QXEventFilter.h"

class Q2DEventFilter : public QXEventFilter {
public:
    static constexpr int kPriority = 1;

    Q2DEventFilter();
    void filter(const QXEvent& event) override;
};

extern Q2DEventFilter theQ2DEventFilter;
