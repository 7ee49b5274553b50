/* hello: the smallest Quelt program, written in C the way the compiler
   would emit it. Greets, asks for a name and answers. */
#include "qxprog.h"

QX_CSTR(greeting, "Hello from Quelt Basic!");
QX_CSTR(question, "What is your name? ");
QX_CSTR(hello, "Nice to meet you, ");
QX_CSTR(stranger, "stranger");
QX_CSTR(arguments, "Arguments:");
QX_CSTR(nothing, "");
static void* constants[] = {&greeting, &question, &hello, &stranger, &arguments, &nothing, 0};

static QXString* name;  /* a string variable: owns its reference */

void qxmain(void) {
    _qxInitCStrs(constants);
    Print(greeting.s);

    /* name$ = Input("What is your name? ") */
    _qxStrStore(&name, _qxStrTmp(Input(question.s)));
    _qxStrTmpFree(1);
    if (_qxStrCompare(_qxStrLoad(&name), nothing.s) == 0) _qxStrStore(&name, stranger.s);

    /* Print "Nice to meet you, " + name$ */
    Print(_qxStrConcat(hello.s, _qxStrLoad(&name)));
    _qxStrTmpFree(1);

    /* Print "Arguments:" + CommandLine() */
    Print(_qxStrConcat(arguments.s, _qxStrTmp(CommandLine())));
    _qxStrTmpFree(2);
}
