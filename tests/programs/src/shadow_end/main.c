/* The module defines _fend itself (in another object), which must take
   precedence over the End command. */
#include "quelt.h"

void qxmain(void) {
    End();
}
