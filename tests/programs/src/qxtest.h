/* Output helpers the test programs share: text constants as runtime strings,
   words and numbers to the console, and report lines built piece by piece.
   Static inline, so a program that uses only some of them builds without
   warnings. */
#ifndef QXTEST_H
#define QXTEST_H

#include "quelt.h"

static inline QXString* text(const char* bytes) { return _qxStrFromCStr((void*)bytes); }

/* Hands a constant to Write or Print. */
static inline void put(void(QXCALL* out)(QXString*), const char* bytes) {
    QXString* s = text(bytes);
    out(s);
    _qxStrRelease(s);
}

static inline void number(int value) {
    QXString* s = _qxStrFromInt(value);
    Write(s);
    _qxStrRelease(s);
}

/* Appends `part` to `*line`, taking both references. */
static inline void append(QXString** line, QXString* part) {
    QXString* joined = _qxStrConcat(*line, part);
    _qxStrRelease(*line);
    _qxStrRelease(part);
    *line = joined;
}

static inline void appendInt(QXString** line, int value) {
    append(line, text(" "));
    append(line, _qxStrFromInt(value));
}

/* "FAIL <step> at x,y got <value> want <value>" for a program that checks
   pixels against a model of its own. */
static inline void reportPixelMismatch(const char* step, int x, int y, int got, int want) {
    put(Write, "FAIL ");
    put(Write, step);
    put(Write, " at ");
    number(x);
    put(Write, ",");
    number(y);
    put(Write, " got ");
    number(got);
    put(Write, " want ");
    number(want);
    put(Print, "");
}

#endif
