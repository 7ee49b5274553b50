/* Calls a command under a wrongly cased link name: the loader must refuse. */
#include "quelt.h"

void QXCALL WrongCase(void) __asm__("_fPrint");

void qxmain(void) { WrongCase(); }
