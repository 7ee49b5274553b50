/* Timers, the clock and a child process as a stand-alone program uses them.
   Prints "ok <check>" or "FAIL <check>" per check, then the date and the time,
   and ends by waiting on a paused timer, which stops the program. The
   program's command line is the child to start (an echoing fixture). */
#include "qxprog.h"
#include "qxtest.h"

static void check(int ok, const char* what) {
    Write(text(ok ? "ok " : "FAIL "));
    Print(text(what));
}

static int same(QXString* a, const char* b) {
    int equal = _qxStrCompare(a, text(b)) == 0;
    _qxStrRelease(a);
    return equal;
}

void qxmain(void) {
    check(CreateTimer(0.0f) == 0 && CreateTimer(-5.0f) == 0, "rates not positive give no timer");

    int timer = CreateTimer(50.0f);
    check(timer != 0, "CreateTimer");
    int start = MilliSecs();
    int counted = 0;
    for (int i = 0; i < 5; ++i) {
        int fresh = WaitTimer(timer);
        if (fresh < 1) counted = -1000;
        counted += fresh;
    }
    int elapsed = MilliSecs() - start;
    check(counted >= 5 && elapsed >= 40 && elapsed < 3000, "WaitTimer paces the loop");
    check(TimerTicks(timer) >= counted, "TimerTicks");

    PauseTimer(timer);
    int held = TimerTicks(timer);
    Delay(100);
    check(TimerTicks(timer) == held, "a paused timer keeps its count");
    ResumeTimer(timer);
    check(WaitTimer(timer) >= 1 && TimerTicks(timer) > held, "ResumeTimer counts on");

    check(WaitEvent(2000) == 0x4001 && EventSource() == timer && EventData() >= 1, "tick event");
    ResetTimer(timer);
    check(TimerTicks(timer) <= 1, "ResetTimer");

    int other = CreateTimer(200.0f);
    Delay(30);
    FreeTimer(other);
    FreeTimer(0);
    check(WaitEvent(100) == 0 || EventSource() == timer, "a freed timer raises no ticks");

    start = MilliSecs();
    Delay(-10);
    Delay(60);
    elapsed = MilliSecs() - start;
    check(elapsed >= 50 && elapsed < 2000, "Delay");

    int child = CreateProcess(Trim(CommandLine()));
    check(child != 0, "CreateProcess");
    WriteLine(child, text("ping"));
    check(same(ReadLine(child), "echo ping"), "the child echoes");
    WriteLine(child, text("quit"));
    check(same(ReadLine(child), ""), "the child ended");
    check(Eof(child) == 1, "Eof");
    check(CreateProcess(text("no_such_program_qx.exe")) == 0, "a missing program gives 0");

    Print(CurrentDate());
    Print(CurrentTime());
    PauseTimer(timer);
    WaitTimer(timer);
    Print(text("not reached"));
}
