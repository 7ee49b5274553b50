#include "core/QXTypedObject.h"

#include <bit>
#include <climits>
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

// Every block of objects ever made, by address: blocks are never freed (their
// objects are recycled), so a block's number stays valid for the process.
struct ObjectBlock {
    std::uintptr_t base;
    std::uintptr_t span;      // bytes
    std::uint32_t inverse;    // ceil(2^32 / object size): offset * inverse >> 32 is the index
    std::size_t number;       // in order of making
};
ObjectBlock* objectBlocks = nullptr;
std::size_t objectBlockCount = 0;
std::size_t objectBlockCapacity = 0;

// Room for one more block in the list.
void reserveBlockEntry() {
    if (objectBlockCount < objectBlockCapacity) return;
    const std::size_t capacity = objectBlockCapacity ? objectBlockCapacity * 2 : 64;
    auto* grown = static_cast<ObjectBlock*>(std::realloc(objectBlocks, capacity * sizeof(ObjectBlock)));
    if (!grown) runtimeError("Out of memory");
    objectBlocks = grown;
    objectBlockCapacity = capacity;
}

// Enters a block, in address order (the room is reserved).
void enterBlock(const unsigned char* block, std::size_t objectSize) {
    const auto base = reinterpret_cast<std::uintptr_t>(block);
    std::size_t at = objectBlockCount;
    while (at > 0 && objectBlocks[at - 1].base > base) {
        objectBlocks[at] = objectBlocks[at - 1];
        --at;
    }
    const auto inverse = static_cast<std::uint32_t>((std::uint64_t{1} << 32) / objectSize + 1);
    objectBlocks[at] = {base, objectSize * kObjectsPerBlock, inverse, objectBlockCount};
    ++objectBlockCount;
}

// The block holding `address`, or null.
const ObjectBlock* blockOf(std::uintptr_t address) {
    std::size_t low = 0, high = objectBlockCount;  // the block is below high
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (objectBlocks[middle].base <= address) low = middle + 1;
        else high = middle;
    }
    if (low == 0) return nullptr;
    const ObjectBlock& block = objectBlocks[low - 1];
    return address - block.base < block.span ? &block : nullptr;
}

// Appends a fresh block of objects, in address order, to the type's free list.
void addBlock(QXUserType* type) {
    const std::size_t size = type->objectSize();
    if (type->fieldCount < 0 || size > UINT32_MAX / kObjectsPerBlock) runtimeError("Out of memory");
    reserveBlockEntry();
    auto* block = static_cast<unsigned char*>(std::malloc(size * kObjectsPerBlock));
    if (!block) runtimeError("Out of memory");
    enterBlock(block, size);
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

QXObjectHandles::~QXObjectHandles() {
    for (std::size_t i = 0; i < blockSlotCount_; ++i) std::free(blockSlots_[i]);
    std::free(blockSlots_);
    std::free(straySlots_);
    std::free(strays_);
    for (std::size_t i = 0; i < pageCount_; ++i) std::free(pages_[i]);
    std::free(pages_);
}

std::size_t QXObjectHandles::pagesHeld() const {
    std::size_t held = 0;
    for (std::size_t i = 0; i < pageCount_; ++i) held += pages_[i] != nullptr;
    return held;
}

int* QXObjectHandles::slotOfSlow(const QXTypedObject* object, bool create) {
    const auto address = reinterpret_cast<std::uintptr_t>(object);
    const ObjectBlock* block = blockOf(address);
    if (!block) {
        // Not made by _qxObjNew: a slot of its own, found by search.
        for (std::size_t i = 0; i < strayCount_; ++i)
            if (strays_[i] == object) return &straySlots_[i];
        if (!create) return nullptr;
        auto* strays = static_cast<const QXTypedObject**>(std::realloc(strays_, (strayCount_ + 1) * sizeof *strays_));
        if (strays) strays_ = strays;
        auto* slots = strays ? static_cast<int*>(std::realloc(straySlots_, (strayCount_ + 1) * sizeof(int))) : nullptr;
        if (!slots) runtimeError("Out of memory");
        straySlots_ = slots;
        strays_[strayCount_] = object;
        straySlots_[strayCount_] = 0;
        return &straySlots_[strayCount_++];
    }
    if (block->number >= blockSlotCount_) {
        if (!create) return nullptr;
        std::size_t count = blockSlotCount_ ? blockSlotCount_ : 16;
        while (count <= block->number) count *= 2;
        auto** grown = static_cast<int**>(std::realloc(blockSlots_, count * sizeof(int*)));
        if (!grown) runtimeError("Out of memory");
        for (std::size_t i = blockSlotCount_; i < count; ++i) grown[i] = nullptr;
        blockSlots_ = grown;
        blockSlotCount_ = count;
    }
    int*& slots = blockSlots_[block->number];
    if (!slots) {
        if (!create) return nullptr;
        slots = static_cast<int*>(std::calloc(kObjectsPerBlock, sizeof(int)));
        if (!slots) runtimeError("Out of memory");
    }
    cachedBase_ = block->base;
    cachedSpan_ = block->span;
    cachedInverse_ = block->inverse;
    cachedSlots_ = slots;
    return slots + static_cast<std::size_t>((std::uint64_t{address - block->base} * block->inverse) >> 32);
}

int QXObjectHandles::assign(QXTypedObject* object, int* slot) {
    if (counter_ == INT_MAX) runtimeError("Out of memory");
    const int handle = counter_ + 1;
    // Everything that can fail comes before the tables change.
    const std::size_t pageIndex = static_cast<unsigned>(handle) >> kPageBits;
    if (pageIndex >= pageCount_) {
        const std::size_t count = pageCount_ ? pageCount_ * 2 : 16;
        auto** pages = static_cast<Page**>(std::realloc(pages_, count * sizeof(Page*)));
        if (!pages) runtimeError("Out of memory");
        for (std::size_t i = pageCount_; i < count; ++i) pages[i] = nullptr;
        pages_ = pages;
        pageCount_ = count;
    }
    if (!pages_[pageIndex]) {
        auto* page = static_cast<Page*>(std::calloc(1, sizeof(Page)));
        if (!page) runtimeError("Out of memory");
        pages_[pageIndex] = page;
    }
    Page* page = pages_[pageIndex];
    page->objects[handle & kPageMask] = object;
    ++page->entered;
    // The page handles came from until now goes if all of them were forgotten.
    const std::size_t previousIndex = static_cast<unsigned>(counter_) >> kPageBits;
    if (previousIndex != pageIndex && pages_[previousIndex] && pages_[previousIndex]->entered == 0) {
        std::free(pages_[previousIndex]);
        pages_[previousIndex] = nullptr;
    }
    *slot = handle;
    ++count_;
    counter_ = handle;
    return handle;
}

void QXObjectHandles::forget(QXTypedObject* object) {
    if (count_ == 0) return;
    int* slot = slotOf(object, false);
    if (!slot || *slot == 0) return;
    const int handle = *slot;
    *slot = 0;
    --count_;
    const std::size_t pageIndex = static_cast<unsigned>(handle) >> kPageBits;
    Page* page = pages_[pageIndex];
    page->objects[handle & kPageMask] = nullptr;
    // The page that handles are still being issued from stays.
    if (--page->entered == 0 && pageIndex != static_cast<unsigned>(counter_) >> kPageBits) {
        std::free(page);
        pages_[pageIndex] = nullptr;
    }
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
