/* The polled input commands in a stand-alone program with the event pump
   running: without any window no input arrives, so every poll reads 0 and
   the flushes change nothing. Prints one line of values. */
#include "qxprog.h"

static void printInt(int value) {
    QXString* text = _qxStrFromInt(value);
    Write(text);
    _qxStrRelease(text);
    QXString* space = _qxStrFromCStr((void*)" ");
    Write(space);
    _qxStrRelease(space);
}

void qxmain(void) {
    FlushKeys();
    FlushMouse();
    printInt(KeyDown(30));
    printInt(KeyDown(286)); /* masked to 30 */
    printInt(KeyHit(30));
    printInt(GetKey());
    printInt(MouseZ());
    printInt(MouseZSpeed());
    printInt(MouseDown(1));
    printInt(MouseDown(5));
    printInt(MouseHit(1));
    printInt(GetMouse());
    printInt(WaitEvent(0));
    Print(_qxStrFromCStr((void*)"end"));
}
