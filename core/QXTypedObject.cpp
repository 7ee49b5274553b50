#include "core/QXTypedObject.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#include "core/QXArray.h"
#include "core/QXString.h"
#include "core/QXStringEntries.h"
#include "runtime/QXError.h"

namespace {

// ---------------------------------------------------------------- lists

void linkBefore(QXTypedObject* x, QXTypedObject* y) {
    x->next = y;
    x->previous = y->previous;
    y->previous->next = x;
    y->previous = x;
}

// Leaves x's own links as they were, so a walk can go on from it.
void unlink(QXTypedObject* x) {
    x->next->previous = x->previous;
    x->previous->next = x->next;
}

// The first live entry from `entry` on (itself included), following `step`;
// null at the sentinel.
template <QXTypedObject* QXTypedObject::*step>
QXTypedObject* firstLiveFrom(QXTypedObject* entry) {
    for (; !entry->isSentinel(); entry = entry->*step)
        if (entry->isLive()) return entry;
    return nullptr;
}
constexpr auto forward = &QXTypedObject::next;
constexpr auto backward = &QXTypedObject::previous;

// ---------------------------------------------------------------- memory

// Appends a fresh block of objects, in address order, to the type's free list.
void addBlock(QXUserType* type) {
    const std::size_t size = type->objectSize();
    if (type->fieldCount < 0 || size > SIZE_MAX / kObjectsPerBlock) runtimeError("Out of memory");
    auto* block = static_cast<unsigned char*>(std::malloc(size * kObjectsPerBlock));
    if (!block) runtimeError("Out of memory");
    for (int i = 0; i < kObjectsPerBlock; ++i) {
        auto* object = reinterpret_cast<QXTypedObject*>(block + size * i);
        object->fields = nullptr;
        object->type = type;
        object->refCount = 0;
        linkBefore(object, &type->freeList);
    }
}

const QXVectorType* asVectorType(const QXTypeDescriptor* type) { return reinterpret_cast<const QXVectorType*>(type); }

void initialiseFields(QXTypedObject* object) {
    const QXUserType* type = object->type;
    QXSlot* slots = object->slots();
    for (int i = 0; i < type->fieldCount; ++i) {
        const QXTypeDescriptor* fieldType = type->fieldTypes()[i];
        slots[i] = fieldType->code == kVectorTypeCode ? _qxVecAlloc(asVectorType(fieldType)) : nullptr;
    }
}

void releaseFields(QXTypedObject* object) {
    const QXUserType* type = object->type;
    QXSlot* slots = object->slots();
    for (int i = 0; i < type->fieldCount; ++i) {
        const QXTypeDescriptor* fieldType = type->fieldTypes()[i];
        if (fieldType->code == kVectorTypeCode) {
            _qxVecFree(static_cast<QXSlot*>(slots[i]), asVectorType(fieldType));
            slots[i] = nullptr;
        } else {
            releaseSlots(&slots[i], 1, fieldType->code);
        }
    }
}

}  // namespace

// ---------------------------------------------------------------- handles

int QXObjectHandles::handleOf(QXTypedObject* object) {
    if (auto found = handles_.find(object); found != handles_.end()) return found->second;
    const int handle = counter_ + 1;
    bool entered = false;
    try {
        handles_.emplace(object, handle);
        objects_.emplace(handle, object);
        entered = true;
    } catch (const std::bad_alloc&) {
        handles_.erase(object);
    }
    if (!entered) runtimeError("Out of memory");
    counter_ = handle;
    return handle;
}

QXTypedObject* QXObjectHandles::objectOf(int handle) const {
    auto found = objects_.find(handle);
    return found != objects_.end() ? found->second : nullptr;
}

void QXObjectHandles::forget(QXTypedObject* object) {
    if (handles_.empty()) return;
    auto found = handles_.find(object);
    if (found == handles_.end()) return;
    objects_.erase(found->second);
    handles_.erase(found);
}

QXObjectHandles& objectHandles() {
    static QXObjectHandles handles;
    return handles;
}

// ---------------------------------------------------------------- entry points

QXTypedObject* QXCALL _qxObjNew(QXUserType* type) {
    if (type->freeList.next == &type->freeList) addBlock(type);
    QXTypedObject* object = type->freeList.next;
    unlink(object);
    object->type = type;
    object->refCount = 1;
    object->fields = object->slots();
    initialiseFields(object);
    linkBefore(object, &type->usedList);
    return object;
}

void QXCALL _qxObjDelete(QXTypedObject* object) {
    if (!object || !object->isLive()) return;
    releaseFields(object);
    objectHandles().forget(object);
    object->fields = nullptr;
    _qxObjRelease(object);
}

// Holds a reference to the entry being deleted, so that it stays on the used
// list and its next pointer, read afterwards, is current: deleting one object
// may move another one (held only by its fields) to the free list.
void QXCALL _qxObjDeleteEach(QXUserType* type) {
    QXTypedObject* entry = type->usedList.next;
    if (entry->isSentinel()) return;
    ++entry->refCount;
    while (true) {
        _qxObjDelete(entry);
        QXTypedObject* next = entry->next;
        if (!next->isSentinel()) ++next->refCount;
        _qxObjRelease(entry);
        if (next->isSentinel()) return;
        entry = next;
    }
}

void QXCALL _qxObjRelease(QXTypedObject* object) {
    if (!object || --object->refCount != 0) return;
    unlink(object);
    linkBefore(object, &object->type->freeList);
}

void QXCALL _qxObjStore(QXTypedObject** slot, QXTypedObject* object) {
    if (object) ++object->refCount;
    _qxObjRelease(*slot);
    *slot = object;
}

int QXCALL _qxObjCompare(QXTypedObject* a, QXTypedObject* b) {
    const QXSlot* fieldsA = a ? a->fields : nullptr;
    const QXSlot* fieldsB = b ? b->fields : nullptr;
    return fieldsA == fieldsB ? 0 : 1;
}

QXTypedObject* QXCALL _qxObjNext(QXTypedObject* object) { return firstLiveFrom<forward>(object->next); }

QXTypedObject* QXCALL _qxObjPrev(QXTypedObject* object) { return firstLiveFrom<backward>(object->previous); }

QXTypedObject* QXCALL _qxObjFirst(QXUserType* type) { return firstLiveFrom<forward>(type->usedList.next); }

QXTypedObject* QXCALL _qxObjLast(QXUserType* type) { return firstLiveFrom<backward>(type->usedList.previous); }

void QXCALL _qxObjInsBefore(QXTypedObject* a, QXTypedObject* b) {
    if (a == b) return;
    unlink(a);
    linkBefore(a, b);
}

void QXCALL _qxObjInsAfter(QXTypedObject* a, QXTypedObject* b) {
    if (a == b) return;
    unlink(a);
    linkBefore(a, b->next);
}

int QXCALL _qxObjEachFirst(QXTypedObject** slot, QXUserType* type) {
    QXTypedObject* first = _qxObjFirst(type);
    _qxObjStore(slot, first);
    return first ? 1 : 0;
}

int QXCALL _qxObjEachNext(QXTypedObject** slot) {
    QXTypedObject* next = *slot ? _qxObjNext(*slot) : nullptr;
    _qxObjStore(slot, next);
    return next ? 1 : 0;
}

QXString* QXCALL _qxObjToStr(QXTypedObject*) { return _qxStrTmp(newString("[OBJECT]")); }

int QXCALL _qxObjToHandle(QXTypedObject* object) {
    if (!object || !object->isLive()) return 0;
    return objectHandles().handleOf(object);
}

QXTypedObject* QXCALL _qxObjFromHandle(int handle, QXUserType* type) {
    QXTypedObject* object = objectHandles().objectOf(handle);
    return object && object->type == type ? object : nullptr;
}

void QXCALL _qxNullObjEx() { runtimeError("Object does not exist"); }

namespace {
const QXSymbol entryPoints[] = {
    QX_COMMAND("_qxObjNew", _qxObjNew),
    QX_COMMAND("_qxObjDelete", _qxObjDelete),
    QX_COMMAND("_qxObjDeleteEach", _qxObjDeleteEach),
    QX_COMMAND("_qxObjRelease", _qxObjRelease),
    QX_COMMAND("_qxObjStore", _qxObjStore),
    QX_COMMAND("_qxObjCompare", _qxObjCompare),
    QX_COMMAND("_qxObjNext", _qxObjNext),
    QX_COMMAND("_qxObjPrev", _qxObjPrev),
    QX_COMMAND("_qxObjFirst", _qxObjFirst),
    QX_COMMAND("_qxObjLast", _qxObjLast),
    QX_COMMAND("_qxObjInsBefore", _qxObjInsBefore),
    QX_COMMAND("_qxObjInsAfter", _qxObjInsAfter),
    QX_COMMAND("_qxObjEachFirst", _qxObjEachFirst),
    QX_COMMAND("_qxObjEachNext", _qxObjEachNext),
    QX_COMMAND("_qxObjToStr", _qxObjToStr),
    QX_COMMAND("_qxObjToHandle", _qxObjToHandle),
    QX_COMMAND("_qxObjFromHandle", _qxObjFromHandle),
    QX_COMMAND("_qxNullObjEx", _qxNullObjEx),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Core, entryPoints);
}  // namespace
