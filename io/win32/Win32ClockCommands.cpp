// The clock commands: milliseconds since the system started, a sleep, and
// the local date and time as text.

#include <windows.h>
#include <mmsystem.h>

#include "core/QXString.h"
#include "events/QXEventDriver.h"
#include "io/QXClock.h"
#include "runtime/QXRegistry.h"

namespace {
QXClockTime localClockTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

// Wraps like the system counter: negative after about 24.8 days, 0 again after about 49.7.
int QXCALL MilliSecs() { return static_cast<int>(timeGetTime()); }

// The message pump does not run meanwhile; output held back for batching
// leaves first.
void QXCALL Delay(int millisecs) {
    runBeforeWaitHooks();
    Sleep(millisecs > 0 ? static_cast<DWORD>(millisecs) : 0);
}

QXString* QXCALL CurrentDate() { return newString(formatClockDate(localClockTime()).c_str()); }

QXString* QXCALL CurrentTime() { return newString(formatClockTime(localClockTime()).c_str()); }

const QXSymbol commands[] = {
    QX_COMMAND("%MilliSecs", MilliSecs),
    QX_COMMAND("Delay%millisecs", Delay),
    QX_COMMAND("$CurrentDate", CurrentDate),
    QX_COMMAND("$CurrentTime", CurrentTime),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
