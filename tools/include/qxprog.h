/* Helpers for C programs that stand in for compiled Quelt code. */
#ifndef QXPROG_H
#define QXPROG_H

#include "quelt.h"

/* A string constant as the compiler lays it out: a slot that receives the
   string, followed by the text. List every constant in a null-ended array
   and hand it to _qxInitCStrs before anything else. */
#define QX_CSTR(name, literal) \
    static struct { QXString* s; char text[sizeof(literal)]; } name = {0, literal}

#endif
