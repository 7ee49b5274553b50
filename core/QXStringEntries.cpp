#include "core/QXStringEntries.h"

#include <cstdlib>
#include <cstring>

#include "core/QXNumberText.h"

namespace {

// Grows by this many entries at a time and never shrinks.
constexpr int kTempGrowth = 1024;

struct TempStack {
    QXString** entries = nullptr;
    int count = 0;
    int capacity = 0;
};
TempStack temps;

// release() for a string: QXString is final, so its destruction is a direct call.
void releaseString(QXString* s) {
    if (s && --s->refCount == 0) s->destroy();
}

// Out of line: the push it serves is on every string-producing statement.
[[gnu::noinline]] void growTemps() {
    const int capacity = temps.capacity + kTempGrowth;
    auto** entries = static_cast<QXString**>(std::malloc(sizeof(QXString*) * static_cast<std::size_t>(capacity)));
    if (!entries) runtimeError("Out of memory");
    if (temps.count > 0) std::memcpy(entries, temps.entries, sizeof(QXString*) * static_cast<std::size_t>(temps.count));
    std::free(temps.entries);
    temps.entries = entries;
    temps.capacity = capacity;
}

// Releases what a previous program left on the stack and drops the array.
void resetTemps() {
    while (temps.count > 0) releaseString(temps.entries[--temps.count]);
    std::free(temps.entries);
    temps = TempStack{};
}

// Freeing more than the stack holds releases what there is, then stops.
[[noreturn, gnu::noinline]] void releaseAllTempsThenStop() {
    while (temps.count > 0) releaseString(temps.entries[--temps.count]);
    runtimeError("Illegal TmpStr index");
}

// Inlined into each entry point that ends a statement. The most recent goes
// first; releasing a string never touches the stack, so the count drops at once.
[[gnu::always_inline]] inline void releaseTemps(int count) {
    if (count <= 0) return;
    if (count > temps.count) [[unlikely]]
        releaseAllTempsThenStop();
    QXString** entry = temps.entries + temps.count;
    QXString** const last = entry - count;
    temps.count -= count;
    do releaseString(*--entry);
    while (entry != last);
}

}  // namespace

QXString* pushTempString(QXString* s) {
    if (temps.count == temps.capacity) [[unlikely]]
        growTemps();
    temps.entries[temps.count++] = s;
    return s;
}

void freeTempStrings(int count) { releaseTemps(count); }

int tempStringCount() { return temps.count; }
int tempStringCapacity() { return temps.capacity; }

// ---------------------------------------------------------------- entry points

void QXCALL _qxInitCStrs(QXConstStringRecord** records) {
    resetTemps();
    // Every empty literal shares this one reference.
    QXString* empty = emptyString();
    for (; records && *records; ++records) {
        QXConstStringRecord* record = *records;
        record->slot = record->text[0] ? QXString::fromCText(record->text) : empty;
    }
}

QXString* QXCALL _qxStrTmp(QXString* s) { return pushTempString(s); }

void QXCALL _qxStrTmpFree(int count) { releaseTemps(count); }

int QXCALL _qxIStrTmpFree(int value, int count) {
    releaseTemps(count);
    return value;
}

float QXCALL _qxFStrTmpFree(float value, int count) {
    releaseTemps(count);
    return value;
}

QXString* QXCALL _qxStrRetain(QXString* s) {
    retain(s);
    return s;
}

QXString* QXCALL _qxStrRelease(QXString* s) {
    release(s);
    return s;
}

QXString* QXCALL _qxStrLoad(QXString** slot) { return *slot ? *slot : sharedStrings().empty; }

QXString* QXCALL _qxStrStore(QXString** slot, QXString* s) {
    // Retaining first keeps a string alive that is stored into its own slot.
    if (s) retain(s);
    if (QXString* old = *slot) release(old);
    *slot = s;
    return s;
}

QXString* QXCALL _qxStrConcat(QXString* a, QXString* b) {
    return pushTempString(a ? a->concat(b) : sharedStrings().empty->concat(b));
}

int QXCALL _qxStrCompare(QXString* a, QXString* b) {
    return a ? a->compare(b) : sharedStrings().empty->compare(b);
}

int QXCALL _qxStrToInt(QXString* s) { return parseInt(stringCText(s)); }

QXString* QXCALL _qxStrFromInt(int value) { return pushTempString(fromInt(value)); }

float QXCALL _qxStrToFloat(QXString* s) { return static_cast<float>(parseFloat(stringCText(s))); }

QXString* QXCALL _qxStrFromFloat(float value) { return pushTempString(fromFloat(value)); }

const char* QXCALL _qxStrToCStr(QXString* s) { return stringCText(s); }

QXString* QXCALL _qxStrFromCStr(const char* text) { return pushTempString(newString(text)); }

namespace {
const QXSymbol entryPoints[] = {
    QX_COMMAND("_qxInitCStrs", _qxInitCStrs),
    QX_COMMAND("_qxStrTmp", _qxStrTmp),
    QX_COMMAND("_qxStrTmpFree", _qxStrTmpFree),
    QX_COMMAND("_qxIStrTmpFree", _qxIStrTmpFree),
    QX_COMMAND("_qxFStrTmpFree", _qxFStrTmpFree),
    QX_COMMAND("_qxStrRetain", _qxStrRetain),
    QX_COMMAND("_qxStrRelease", _qxStrRelease),
    QX_COMMAND("_qxStrLoad", _qxStrLoad),
    QX_COMMAND("_qxStrStore", _qxStrStore),
    QX_COMMAND("_qxStrConcat", _qxStrConcat),
    QX_COMMAND("_qxStrCompare", _qxStrCompare),
    QX_COMMAND("_qxStrToInt", _qxStrToInt),
    QX_COMMAND("_qxStrFromInt", _qxStrFromInt),
    QX_COMMAND("_qxStrToFloat", _qxStrToFloat),
    QX_COMMAND("_qxStrFromFloat", _qxStrFromFloat),
    QX_COMMAND("_qxStrToCStr", _qxStrToCStr),
    QX_COMMAND("_qxStrFromCStr", _qxStrFromCStr),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Core, entryPoints);
}  // namespace
