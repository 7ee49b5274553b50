#pragma once
// Immutable reference-counted byte strings.

#include "runtime/QXObject.h"

class QXString : public QXObject {
public:
    explicit QXString(const char* text);
    QXString(const char* bytes, int count);
    ~QXString() override;

    int length = 0;
    char* data = nullptr;  // length + 1 bytes, always 0-terminated
};

// A new string of the text (count 1).
QXString* newString(const char* text);
// A new reference to the shared empty string.
QXString* emptyString();
// The text as a C string (stops at the first zero byte); "" for null.
const char* stringCText(const QXString* s);
