#include "core/QXData.h"

#include "core/QXArithmetic.h"
#include "core/QXNumberText.h"
#include "core/QXStringEntries.h"
#include "core/QXType.h"
#include "runtime/QXError.h"

namespace {

const QXDataItem* readPosition = nullptr;

// The item at the read position, which moves on past it. On an error the
// position stays. A program that reads before any RESTORE has no data either.
const QXDataItem& takeItem() {
    if (!readPosition || readPosition->tag == kDataEndTag) runtimeError("Out of data");
    switch (readPosition->tag) {
        case kIntTypeCode:
        case kFloatTypeCode:
        case kCStringTypeCode: return *readPosition++;
        default: runtimeError("Bad data type");
    }
}

const char* textOf(const QXDataItem& item) { return item.text ? item.text : ""; }

}  // namespace

const QXDataItem* dataReadPosition() { return readPosition; }

void QXCALL _qxRestore(const QXDataItem* item) { readPosition = item; }

int QXCALL _qxReadInt() {
    const QXDataItem& item = takeItem();
    switch (item.tag) {
        case kIntTypeCode: return item.integer;
        case kFloatTypeCode: return truncateToInt(item.real);
        default: return parseInt(textOf(item));
    }
}

float QXCALL _qxReadFloat() {
    const QXDataItem& item = takeItem();
    switch (item.tag) {
        case kIntTypeCode: return static_cast<float>(item.integer);
        case kFloatTypeCode: return item.real;
        default: return static_cast<float>(parseFloat(textOf(item)));
    }
}

QXString* QXCALL _qxReadStr() {
    const QXDataItem& item = takeItem();
    switch (item.tag) {
        case kIntTypeCode: return pushTempString(fromInt(item.integer));
        case kFloatTypeCode: return pushTempString(fromFloat(item.real));
        default: return pushTempString(newString(textOf(item)));
    }
}

namespace {

const QXSymbol entryPoints[] = {
    QX_COMMAND("_qxRestore", _qxRestore),
    QX_COMMAND("_qxReadInt", _qxReadInt),
    QX_COMMAND("_qxReadFloat", _qxReadFloat),
    QX_COMMAND("_qxReadStr", _qxReadStr),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Core, entryPoints);

}  // namespace
