#pragma once
// The code-generation entry points for strings, and the temporary-string
// stack on which compiled code parks the intermediate strings of a statement.

#include "core/QXString.h"
#include "runtime/QXRegistry.h"

// A string literal as the compiler lays it out: the slot that receives the
// string, then the literal's bytes and a zero byte.
struct QXConstStringRecord {
    QXString* slot;
    char text[1];
};

void QXCALL _qxInitCStrs(QXConstStringRecord** records);
QXString* QXCALL _qxStrTmp(QXString* s);
void QXCALL _qxStrTmpFree(int count);
int QXCALL _qxIStrTmpFree(int value, int count);
float QXCALL _qxFStrTmpFree(float value, int count);
QXString* QXCALL _qxStrRetain(QXString* s);
QXString* QXCALL _qxStrRelease(QXString* s);
QXString* QXCALL _qxStrLoad(QXString** slot);
QXString* QXCALL _qxStrStore(QXString** slot, QXString* s);
QXString* QXCALL _qxStrConcat(QXString* a, QXString* b);
int QXCALL _qxStrCompare(QXString* a, QXString* b);
int QXCALL _qxStrToInt(QXString* s);
QXString* QXCALL _qxStrFromInt(int value);
float QXCALL _qxStrToFloat(QXString* s);
QXString* QXCALL _qxStrFromFloat(float value);
const char* QXCALL _qxStrToCStr(QXString* s);
QXString* QXCALL _qxStrFromCStr(const char* text);

// The temporary-string stack, as tests and other entry points see it.
QXString* pushTempString(QXString* s);
// Releases the `count` most recent temporaries; "Illegal TmpStr index" when
// fewer are held.
void freeTempStrings(int count);
int tempStringCount();
int tempStringCapacity();
