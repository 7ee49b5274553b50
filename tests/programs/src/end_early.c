/* End leaves the program at once: the error below must never be raised. */
#include "quelt.h"

void qxmain(void) {
    End();
    RuntimeError(CommandLine());
}
