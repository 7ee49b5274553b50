/* CommandLine hands out one string for the whole run: the same object on
   every call, one more reference each time. Prints
     same <1|0> refs <count after 1st> <after 2nd> <after releasing one> |<text>|
   reading the count from the object's header (vtable, count). */
#include "quelt.h"
#include "qxtest.h"

struct Header {
    void* vtable;
    int refCount;
};

static int refs(QXString* s) { return ((struct Header*)s)->refCount; }

void qxmain(void) {
    QXString* first = CommandLine();
    int afterFirst = refs(first);
    QXString* second = CommandLine();
    int afterSecond = refs(second);
    _qxStrRelease(second);
    int afterRelease = refs(first);
    put(Write, "same ");
    number(first == second);
    put(Write, " refs ");
    number(afterFirst);
    put(Write, " ");
    number(afterSecond);
    put(Write, " ");
    number(afterRelease);
    put(Write, " |");
    Write(first);
    put(Print, "|");
    _qxStrRelease(first);
}
