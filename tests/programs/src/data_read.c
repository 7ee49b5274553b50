/* DATA laid out as the compiler lays it out: 8-byte items (tag, value) ended
   by a tag-0 item, read as every type and passed through the string
   commands. The argument "past" reads beyond the end, "bad" meets an
   unknown tag. */
#include "qxprog.h"

typedef struct {
    int tag; /* 1 integer, 2 float, 4 text, 0 end */
    union {
        int integer;
        float real;
        const char* text;
    } value;
} DataItem;

static DataItem data[] = {
    {1, {.integer = 5}},          /* DATA 5, 2.5, "7x", -2.9 */
    {2, {.real = 2.5f}},
    {4, {.text = "7x"}},
    {2, {.real = -2.9f}},
    {4, {.text = "  Hello, World  "}}, /* second: DATA "  Hello, World  ", 255 */
    {1, {.integer = 255}},
    {0, {.integer = 0}},
};
static DataItem broken[] = {{3, {.integer = 1}}, {0, {.integer = 0}}};

QX_CSTR(space, " ");
QX_CSTR(comma, ",");
QX_CSTR(semicolon, ";");
static void* constants[] = {&space, &comma, &semicolon, 0};

static int argumentIs(const char* word) {
    const char* text = _qxStrToCStr(CommandLine());
    while (*text == ' ') ++text;
    while (*word && *word == *text) ++word, ++text;
    return *word == 0 && *text == 0;
}

/* Prints the text, then drops every temporary of the statement. */
static void printTemporaries(QXString* text, int temporaries) {
    Print(text);
    _qxStrTmpFree(temporaries);
}

static void printOwned(QXString* text) {
    Print(text);
    _qxStrRelease(text);
}

void qxmain(void) {
    _qxInitCStrs(constants);
    _qxRestore(&data[0]);
    for (int i = 0; i < 4; ++i) printTemporaries(_qxStrFromInt(_qxReadInt()), 1);
    _qxRestore(&data[0]);
    for (int i = 0; i < 4; ++i) printTemporaries(_qxReadStr(), 1);
    _qxRestore(&data[0]);
    for (int i = 0; i < 4; ++i) printTemporaries(_qxStrFromFloat(_qxReadFloat()), 1);

    /* RESTORE second: READ greeting$, code */
    _qxRestore(&data[4]);
    QXString* greeting = 0;
    _qxStrStore(&greeting, _qxReadStr());
    _qxStrTmpFree(1);
    int code = _qxReadInt();
    printOwned(Trim(greeting));
    printOwned(Upper(greeting));
    QXString* word = _qxStrTmp(Mid(greeting, 10, 5));
    printTemporaries(_qxStrConcat(word, _qxStrTmp(Left(greeting, Instr(greeting, comma.s, 1) - 1))), 3);
    printOwned(Replace(greeting, space.s, semicolon.s));
    printTemporaries(_qxStrFromInt(Len(greeting) * 1000 + Asc(greeting)), 1);
    printOwned(Hex(code));
    printOwned(Bin(code));
    printTemporaries(_qxStrTmp(RSet(_qxStrTmp(Chr(code & 0x41)), 3)), 2);
    _qxStrStore(&greeting, 0);

    if (argumentIs("past")) {
        _qxReadInt(); /* the position is at the end item */
    }
    if (argumentIs("bad")) {
        _qxRestore(&broken[0]);
        _qxReadStr();
    }
}
