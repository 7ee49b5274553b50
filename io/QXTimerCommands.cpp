// The timer commands: create, free, count, wait, reset, pause and resume.

#include "io/QXTimer.h"
#include "io/QXTimerDriver.h"
#include "runtime/QXRegistry.h"

namespace {
QXTimer& timerOf(int handle) { return *checkHandle<QXTimer>(handle, "Timer"); }

int QXCALL CreateTimer(float hertz) {
    QXTimerDriver* driver = timerDriver();
    if (!driver || !(hertz > 0)) return 0;
    return handleOf(driver->createTimer(hertz));
}

void QXCALL FreeTimer(int timer) {
    if (timer == 0) return;
    release(&timerOf(timer));
}

int QXCALL TimerTicks(int timer) { return timerOf(timer).ticks(); }

int QXCALL WaitTimer(int timer) { return waitTimer(timerOf(timer)); }

void QXCALL ResetTimer(int timer) { timerOf(timer).reset(); }

void QXCALL PauseTimer(int timer) { timerOf(timer).pause(true); }

void QXCALL ResumeTimer(int timer) { timerOf(timer).pause(false); }

const QXSymbol commands[] = {
    QX_COMMAND("%CreateTimer#hertz", CreateTimer),
    QX_COMMAND("FreeTimer%timer", FreeTimer),
    QX_COMMAND("%TimerTicks%timer", TimerTicks),
    QX_COMMAND("%WaitTimer%timer", WaitTimer),
    QX_COMMAND("ResetTimer%timer", ResetTimer),
    QX_COMMAND("PauseTimer%timer", PauseTimer),
    QX_COMMAND("ResumeTimer%timer", ResumeTimer),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
