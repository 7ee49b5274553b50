/* A program that simply returns. */
#include "quelt.h"

void qxmain(void) {}
