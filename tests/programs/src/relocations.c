/* Exercises both kinds of relocation and the callee-pops convention: any
   mistake ends in a runtime error naming the check (or a crash). */
#include "quelt.h"

static int counter;
int table[4] = {10, 20, 30, 40};
int* third = &table[2];                 /* absolute, with an addend of 8 */
static void bump(void) { ++counter; }
void (*bumper)(void) = bump;            /* absolute, to a module-local function */
static const char* const words[] = {"alpha", "beta"};

static int check(void) {
    bumper();
    bump();                              /* relative */
    if (counter != 2) return 1;
    if (*third != 30) return 2;
    if (words[1][0] != 'b' || words[0][4] != 'a') return 3;
    /* Entry points remove their own arguments: a drifting stack would crash here. */
    for (int i = 0; i < 1000; ++i) {
        _qxDebugStmt(i, 2);
        _qxDebugEnter(1, i, 3);
        _qxDebugLeave();
    }
    if (ActiveObjects() < 0) return 4;
    return 0;
}

void qxmain(void) {
    if (check() != 0) RuntimeError(CommandLine());
}
