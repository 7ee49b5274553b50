#pragma once
// The first filter of the chain: admits only events raised inside the pump.
// Events raised synchronously by the program's own calls (the notifications
// caused by changing a gadget, say) never reach the queue or the input state.

#include "events/QXEventFilter.h"

class Win32CatchFilter : public QXEventFilter {
public:
    static constexpr int kPriority = 10;

    Win32CatchFilter();
    void filter(const QXEvent& event) override;
};

extern Win32CatchFilter theWin32CatchFilter;
