/* The event commands as a stand-alone program calls them: with no input the
   waits return 0, and the 101st distinct hot key stops the program. */
#include "qxprog.h"

QX_CSTR(registered, "hot keys registered");
static void* constants[] = {&registered, 0};

static void printInt(int value) {
    QXString* text = _qxStrFromInt(value);
    Print(text);
    _qxStrRelease(text);
}

void qxmain(void) {
    _qxInitCStrs(constants);
    printInt(WaitEvent(0));
    printInt(EventID());
    printInt(WaitEvent(100));
    printInt(PeekEvent());
    FlushEvents(-1, 0);
    AutoSuspend(1);
    AutoSuspend(0);
    HotKeyEvent(30, 2, 0x9001, 0, 0, 0, 0, 0);
    HotKeyEvent(30, 2, 0x9002, 0, 0, 0, 0, 0); /* the same pair: replaced */
    for (int key = 1; key < 100; ++key) HotKeyEvent(100 + key, 0, 0x9100 + key, 0, 0, 0, 0, 0);
    Print(registered.s);
    HotKeyEvent(250, 0, 1, 0, 0, 0, 0, 0);
    Print(registered.s); /* never reached */
}
