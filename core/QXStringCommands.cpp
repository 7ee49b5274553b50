// The string commands. Positions are 1-based here; the string operations
// they use count from 0. Arguments are borrowed (a null string reads as
// empty), results owned. No count or position is ever an error.

#include <climits>
#include <cstdint>

#include "core/QXString.h"
#include "runtime/QXRegistry.h"

namespace {

QXString& textOf(QXString* s) { return s ? *s : *sharedStrings().empty; }

QXString* QXCALL String(QXString* text, int repeat) { return textOf(text).repeat(repeat); }

QXString* QXCALL Left(QXString* text, int count) { return textOf(text).left(count); }

QXString* QXCALL Right(QXString* text, int count) { return textOf(text).right(count); }

QXString* QXCALL Replace(QXString* text, QXString* from, QXString* to) { return textOf(text).replace(from, to); }

int QXCALL Instr(QXString* text, QXString* find, int from) {
    // A start at or before the first position searches from the start (and
    // keeps from - 1 clear of overflow).
    const int start = from <= 0 ? 0 : from - 1;
    return textOf(text).find(find, start) + 1;
}

QXString* QXCALL Mid(QXString* text, int start, int count) {
    // A negative count reads to the end, from the first position at the earliest.
    if (count < 0) return textOf(text).substring(start <= 1 ? 0 : start - 1, INT_MAX);
    // Otherwise the positions before the first one count too. In 64 bits:
    // start - 1 may leave the 32-bit range.
    std::int64_t first = std::int64_t{start} - 1;
    std::int64_t wanted = count;
    if (first < 0) {
        wanted += first;
        first = 0;
    }
    if (wanted <= 0) return emptyString();
    return textOf(text).substring(static_cast<int>(first), static_cast<int>(wanted));
}

QXString* QXCALL Upper(QXString* text) { return textOf(text).upper(); }

QXString* QXCALL Lower(QXString* text) { return textOf(text).lower(); }

QXString* QXCALL Trim(QXString* text) { return textOf(text).trim(); }

QXString* QXCALL LSet(QXString* text, int size) { return textOf(text).padRight(size); }

QXString* QXCALL RSet(QXString* text, int size) { return textOf(text).padLeft(size); }

QXString* QXCALL Chr(int ascii) { return charString(ascii); }

int QXCALL Asc(QXString* text) {
    const QXString& s = textOf(text);
    return s.length > 0 ? static_cast<unsigned char>(s.data[0]) : -1;
}

int QXCALL Len(QXString* text) { return textOf(text).length; }

// `digits` digits of `bitsPerDigit` bits each, most significant first.
QXString* digitsOf(int value, int digits, int bitsPerDigit) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint32_t mask = (1u << bitsPerDigit) - 1;
    QXString* s = QXString::withLength(digits);
    for (int i = 0; i < digits; ++i) s->data[i] = kDigits[(bits >> ((digits - 1 - i) * bitsPerDigit)) & mask];
    return s;
}

QXString* QXCALL Hex(int value) { return digitsOf(value, 8, 4); }

QXString* QXCALL Bin(int value) { return digitsOf(value, 32, 1); }

const QXSymbol commands[] = {
    QX_COMMAND("$String$string%repeat", String),
    QX_COMMAND("$Left$string%count", Left),
    QX_COMMAND("$Right$string%count", Right),
    QX_COMMAND("$Replace$string$from$to", Replace),
    QX_COMMAND("%Instr$string$find%from=1", Instr),
    QX_COMMAND("$Mid$string%start%count=-1", Mid),
    QX_COMMAND("$Upper$string", Upper),
    QX_COMMAND("$Lower$string", Lower),
    QX_COMMAND("$Trim$string", Trim),
    QX_COMMAND("$LSet$string%size", LSet),
    QX_COMMAND("$RSet$string%size", RSet),
    QX_COMMAND("$Chr%ascii", Chr),
    QX_COMMAND("%Asc$string", Asc),
    QX_COMMAND("%Len$string", Len),
    QX_COMMAND("$Hex%value", Hex),
    QX_COMMAND("$Bin%value", Bin),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
