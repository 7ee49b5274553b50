#include "core/QXType.h"

#include "core/QXString.h"
#include "core/QXTypedObject.h"
#include "runtime/QXRegistry.h"

constinit const QXTypeDescriptor _qxIntType{kIntTypeCode};
constinit const QXTypeDescriptor _qxFltType{kFloatTypeCode};
constinit const QXTypeDescriptor _qxStrType{kStringTypeCode};
constinit const QXTypeDescriptor _qxCStrType{kCStringTypeCode};
static_assert(sizeof(QXTypeDescriptor) == 4, "a primitive descriptor is one 32-bit word");

void releaseSlots(QXSlot* slots, int count, int code) {
    if (code == kStringTypeCode) {
        for (int i = 0; i < count; ++i) {
            release(static_cast<QXString*>(slots[i]));
            slots[i] = nullptr;
        }
    } else if (code == kUserTypeCode) {
        for (int i = 0; i < count; ++i) {
            _qxObjRelease(static_cast<QXTypedObject*>(slots[i]));
            slots[i] = nullptr;
        }
    }
}

namespace {
const QXSymbol types[] = {
    QX_DATA("_qxIntType", _qxIntType),
    QX_DATA("_qxFltType", _qxFltType),
    QX_DATA("_qxStrType", _qxStrType),
    QX_DATA("_qxCStrType", _qxCStrType),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Core, types);
}  // namespace
