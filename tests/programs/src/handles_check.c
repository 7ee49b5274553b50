/* Object diagnostics and handle validation seen from a program. */
#include "quelt.h"

void qxmain(void) {
    DebugObjects(); /* the default debugger shows nothing */
    /* The command-line string is alive while the program runs. */
    if (ActiveObjects() < 1) RuntimeError(_qxStrFromCStr("no live objects"));
    QueryObject(0x1234, 10001); /* not an object: stops */
    RuntimeError(_qxStrFromCStr("not reached"));
}
