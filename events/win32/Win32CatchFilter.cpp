#include "events/win32/Win32CatchFilter.h"

#include "events/win32/Win32EventDriver.h"

Win32CatchFilter::Win32CatchFilter() : QXEventFilter(kPriority) {
    registerModule("Win32CatchFilter", nullptr, nullptr);
}

QX_MODULE_INSTANCE(Win32CatchFilter, 4);

void Win32CatchFilter::filter(const QXEvent& event) {
    Win32EventDriver& driver = theWin32EventDriver;
    if (!driver.inPumpContext()) return;
    if (event.id == EVENT_APPRESUME) {
        driver.holdResume();
        return;
    }
    passOn(event);
    driver.eventPassedOn();
}
