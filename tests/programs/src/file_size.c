/* Prints FileSize and FileType of the path given as its argument. */
#include "qxtest.h"

static void printNumber(int value) {
    QXString* s = _qxStrFromInt(value);
    Print(s);
    _qxStrRelease(s);
}

void qxmain(void) {
    QXString* line = CommandLine();
    const char* text = _qxStrToCStr(line);
    while (*text == ' ') ++text;
    QXString* path = _qxStrFromCStr((void*)text);
    printNumber(FileSize(path));
    printNumber(FileType(path));
    _qxStrRelease(path);
    _qxStrRelease(line);
}
