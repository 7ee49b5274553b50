/* AppTitle changes the caption of the runtime error box. */
#include "qxprog.h"

QX_CSTR(title, "My Game");
QX_CSTR(message, "stopped");
static void* constants[] = {&title, &message, 0};

void qxmain(void) {
    _qxInitCStrs(constants);
    AppTitle(title.s);
    RuntimeError(message.s);
}
