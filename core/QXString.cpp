#include "core/QXString.h"

#include <cstring>

QXString::QXString(const char* text) : QXString(text, static_cast<int>(std::strlen(text))) {}

QXString::QXString(const char* bytes, int count) : length(count), data(new char[count + 1]) {
    std::memcpy(data, bytes, count);
    data[count] = 0;
}

QXString::~QXString() { delete[] data; }

QXString* newString(const char* text) { return new QXString(text); }

QXString* emptyString() {
    static QXString* shared = new QXString("");
    retain(shared);
    return shared;
}

const char* stringCText(const QXString* s) { return s ? s->data : ""; }
