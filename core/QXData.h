#pragma once
// DATA statements: the compiler lays out every DATA value of the program as
// one typed item of a table ended by a tag-0 item; READ takes the item at the
// single read position, converts it and moves on.

#include <cstddef>

#include "core/QXString.h"
#include "runtime/QXRegistry.h"

// Tag 0 ends the table; otherwise a type code: integer, float, constant text.
struct QXDataItem {
    int tag;
    union {
        int integer;
        float real;
        const char* text;
    };
};
static_assert(sizeof(QXDataItem) == 8 && offsetof(QXDataItem, integer) == 4, "DATA items are a binary contract");

constexpr int kDataEndTag = 0;

void QXCALL _qxRestore(const QXDataItem* item);
int QXCALL _qxReadInt();
float QXCALL _qxReadFloat();
// The result is already on the temporary-string stack.
QXString* QXCALL _qxReadStr();

// The read position (null before the first RESTORE).
const QXDataItem* dataReadPosition();
