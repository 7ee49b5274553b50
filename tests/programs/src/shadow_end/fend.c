/* A program function filed under the End command's link name. */
#include "quelt.h"

void fend(void) { RuntimeError(CommandLine()); }
