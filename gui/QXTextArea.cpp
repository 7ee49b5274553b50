#include "gui/QXGadget.h"

#include "core/QXString.h"

int QXTextArea::length(int units) { return units == 2 ? lineCount() : textLength(); }

int QXTextArea::characterOfLine(int line) {
    if (line < 0) return 0;
    return line < lineCount() ? lineStart(line) : textLength();
}

int QXTextArea::lineOfCharacter(int character) {
    if (character < 0) return 0;
    return character > textLength() ? lineCount() : lineAt(character);
}

int QXTextArea::lineLength(int line) {
    // line + 1 without wrapping past the largest line number.
    const int next = line == 0x7FFFFFFF ? line : line + 1;
    return characterOfLine(next) - characterOfLine(line);
}

int QXTextArea::cursor(int units) {
    int start = 0, end = 0;
    selection(start, end);
    return units == 2 ? lineOfCharacter(start) : start;
}

int QXTextArea::selectionLength(int units) {
    int start = 0, end = 0;
    selection(start, end);
    return units == 2 ? lineOfCharacter(end) - lineOfCharacter(start) + 1 : end - start;
}

QXTextArea::Range QXTextArea::normalise(int pos, int len, int units) {
    const int total = length(units);
    if (pos < 0 || pos > total) pos = pos < 0 ? 0 : total;
    if (len < 0 || static_cast<long long>(pos) + len > total) len = total - pos;
    if (len == 0 || units != 2) return {units == 2 ? characterOfLine(pos) : pos, units == 2 ? 0 : len};
    const int start = characterOfLine(pos), end = characterOfLine(pos + len);
    return {start, end - start};
}

QXString* QXTextArea::readText(int, int, int) { return emptyString(); }
