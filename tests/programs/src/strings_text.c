/* Strings as compiled code uses them: constants, temporaries freed per
   statement, number texts inside a running program (the x87 unit at 24-bit
   precision), the command line, and freeing one temporary too many. */
#include "qxprog.h"

QX_CSTR(abc, "abc");
QX_CSTR(abd, "abd");
QX_CSTR(ab, "ab");
QX_CSTR(empty, "");
QX_CSTR(empty2, "");
QX_CSTR(bar, "|");
QX_CSTR(piText, "  3.14159265xyz");
QX_CSTR(tenthText, "0.1");
QX_CSTR(halfText, "2.5");
QX_CSTR(intText, "  -12abc");
QX_CSTR(notReached, "not reached");
static void* constants[] = {&abc, &abd, &ab, &empty, &empty2, &bar, &piText, &tenthText, &halfText,
                            &intText, &notReached, 0};

static const float values[] = {0.0f,        1.0f,       0.5f,        0.001f,   3.14159265f,
                               123.456f,    100000.0f,  12345678.0f, -2.5f,    999999.6f,
                               99999999.0f, 1e8f,       1e10f,       0.0001f,  0.000015f,
                               123456789.0f, 1234565.0f, 0.1015625f, 0.01f,    -0.0f};

static QXString* slot;

static void printInt(int value) {
    Print(_qxStrFromInt(value));
    _qxStrTmpFree(1);
}

static void printFloat(float value) {
    Print(_qxStrFromFloat(value));
    _qxStrTmpFree(1);
}

void qxmain(void) {
    union {
        unsigned bits;
        float value;
    } infinity = {0x7F800000u}, minusInfinity = {0xFF800000u}, nan = {0x7FC00000u};
    unsigned i;
    int before, during, after;

    _qxInitCStrs(constants);

    /* Concatenation, comparison, store and load. */
    Print(_qxStrConcat(_qxStrConcat(abc.s, bar.s), abd.s));
    _qxStrTmpFree(2);
    printInt(_qxStrCompare(abc.s, abd.s) < 0);
    printInt(_qxStrCompare(ab.s, abc.s));
    printInt(_qxStrCompare(abc.s, ab.s));
    printInt(_qxStrCompare(_qxStrLoad(&slot), empty.s));
    printInt(empty.s == empty2.s);
    _qxStrStore(&slot, _qxStrConcat(abc.s, abc.s));
    _qxStrTmpFree(1);
    _qxStrStore(&slot, _qxStrLoad(&slot));
    Print(_qxStrLoad(&slot));

    /* Number texts. */
    for (i = 0; i < sizeof values / sizeof values[0]; ++i) printFloat(values[i]);
    printFloat(infinity.value);
    printFloat(minusInfinity.value);
    printFloat(nan.value);
    printInt(-2147483647 - 1);
    printInt(_qxStrToInt(intText.s));
    printFloat(_qxStrToFloat(piText.s));
    printFloat(_qxStrToFloat(tenthText.s));
    printFloat(_qxFStrTmpFree(_qxStrToFloat(_qxStrTmp(_qxStrConcat(halfText.s, empty.s))), 2));
    printInt(_qxIStrTmpFree(_qxStrToInt(_qxStrFromInt(-77)), 1));

    /* 1025 temporaries live until their statement frees them. */
    before = ActiveObjects();
    for (i = 0; i < 1025; ++i) _qxStrFromInt((int)i);
    during = ActiveObjects();
    _qxStrTmpFree(1025);
    after = ActiveObjects();
    printInt(during - before);
    printInt(after - before);

    /* The command line's arguments. */
    Print(_qxStrConcat(_qxStrConcat(bar.s, _qxStrTmp(CommandLine())), bar.s));
    _qxStrTmpFree(3);

    /* One temporary too many stops the program. */
    _qxStrTmpFree(1);
    Print(notReached.s);
}
