/* hello: the smallest Quelt program, written in C the way the compiler
   would emit it. Prints a greeting and the program's arguments. */
#include "qxprog.h"

QX_CSTR(greeting, "Hello from Quelt Basic!");
QX_CSTR(arguments, "Arguments: ");
static void* constants[] = {&greeting, &arguments, 0};

void qxmain(void) {
    _qxInitCStrs(constants);
    Print(greeting.s);
    /* Print "Arguments: " + CommandLine(): both results are temporaries. */
    Print(_qxStrConcat(arguments.s, _qxStrTmp(CommandLine())));
    _qxStrTmpFree(2);
}
