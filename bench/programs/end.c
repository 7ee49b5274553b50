/* The start-up benchmark's bound program: it only ends. */
#include "qxprog.h"

void qxmain(void) { End(); }
