/* Console text, system facts and the environment, seen from a program. */
#include "qxprog.h"

QX_CSTR(hello, "Hello");
QX_CSTR(empty, "");
QX_CSTR(prompt, "Name? ");
QX_CSTR(cpuName, "cPu");
QX_CSTR(unknownName, "gpu");
QX_CSTR(appdirName, "AppDir");
QX_CSTR(tempdirName, "tempdir");
QX_CSTR(variable, "QX_TEST_VARIABLE");
QX_CSTR(value, "some value");
QX_CSTR(bar, "|");
static void* constants[] = {&hello, &empty, &prompt, &cpuName, &unknownName, &appdirName, &tempdirName,
                            &variable, &value, &bar, 0};

/* Prints "|text|" so blanks at either end stay visible. */
static void show(QXString* text) {
    Write(bar.s);
    Write(text);
    Print(bar.s);
    _qxStrRelease(text);
}

void qxmain(void) {
    _qxInitCStrs(constants);
    Write(hello.s);
    Print(empty.s);
    show(Input(prompt.s));  /* a line with blanks around it */
    show(Input(prompt.s));  /* a long line comes in pieces of 255 */
    show(Input(prompt.s));
    show(Input(prompt.s));  /* end of input */
    show(SystemProperty(cpuName.s));
    show(SystemProperty(unknownName.s));
    show(SystemProperty(appdirName.s));
    show(SystemProperty(tempdirName.s));
    show(GetEnv(variable.s));
    SetEnv(variable.s, value.s);
    show(GetEnv(variable.s));
    SetEnv(variable.s, empty.s);
    show(GetEnv(variable.s));
}
