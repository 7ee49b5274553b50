/* Stops with a runtime error whose message is the program's arguments. */
#include "quelt.h"

void qxmain(void) { RuntimeError(CommandLine()); }
