#pragma once
// Objects of user-defined types. Each type keeps its objects on one doubly
// linked list in creation order and recycles their memory through a free
// list; both lists are headed by sentinels inside the type descriptor, which
// the compiler lays out. Objects are reference counted: the type's list holds
// one reference until deletion, which clears the fields pointer so that the
// object reads as Null while variables still hold it.

#include <cstddef>
#include <cstdint>

#include "core/QXType.h"
#include "runtime/QXRegistry.h"

struct QXUserType;

// The object header; the field slots follow it directly. A sentinel has the
// same shape with a null fields pointer and a null type.
struct QXTypedObject {
    QXSlot* fields;  // this object's slots while it exists, null once deleted
    QXTypedObject* next;
    QXTypedObject* previous;
    QXUserType* type;
    int refCount;

    QXSlot* slots() { return reinterpret_cast<QXSlot*>(this + 1); }
    bool isLive() const { return fields != nullptr; }
    bool isSentinel() const { return type == nullptr; }
};
static_assert(offsetof(QXTypedObject, next) == 4 && offsetof(QXTypedObject, previous) == 8 &&
              offsetof(QXTypedObject, type) == 12 && offsetof(QXTypedObject, refCount) == 16 &&
              sizeof(QXTypedObject) == 20, "the fields follow a 20-byte header");

// A user type as the compiler lays it out, followed directly by one field
// type pointer per field.
struct QXUserType {
    int code;  // kUserTypeCode
    QXTypedObject usedList;  // sentinel of the objects in use
    QXTypedObject freeList;  // sentinel of the recycled objects
    int fieldCount;

    const QXTypeDescriptor* const* fieldTypes() const {
        return reinterpret_cast<const QXTypeDescriptor* const*>(this + 1);
    }
    std::size_t objectSize() const {
        return sizeof(QXTypedObject) + sizeof(QXSlot) * static_cast<std::size_t>(fieldCount);
    }
};
static_assert(offsetof(QXUserType, usedList) == 4 && offsetof(QXUserType, freeList) == 24 &&
              offsetof(QXUserType, fieldCount) == 44 && sizeof(QXUserType) == 48,
              "the field types begin at offset 48");

// Objects are taken from the heap this many at a time per type.
constexpr int kObjectsPerBlock = 512;

// The two-way mapping between objects and integer handles. Handles count up
// from 1 and are never reused; the tables hold no references. Handle to object
// is a direct index in pages that are freed once all their handles are
// forgotten. Object to handle is an array per block of objects (see
// addBlock), so that a walk over the objects walks memory in order; the
// block of an object is found by a binary search of the blocks, with the
// last one found tried first.
class QXObjectHandles {
public:
    QXObjectHandles() = default;
    ~QXObjectHandles();
    QXObjectHandles(const QXObjectHandles&) = delete;
    QXObjectHandles& operator=(const QXObjectHandles&) = delete;

    // The object's handle, assigned now if it has none.
    int handleOf(QXTypedObject* object) {
        int* slot = slotOf(object, true);
        return *slot ? *slot : assign(object, slot);
    }
    // The object entered for `handle`, or null.
    QXTypedObject* objectOf(int handle) const {
        if (handle <= 0 || handle > counter_) return nullptr;
        const Page* page = pages_[static_cast<unsigned>(handle) >> kPageBits];
        return page ? page->objects[handle & kPageMask] : nullptr;
    }
    void forget(QXTypedObject* object);
    std::size_t size() const { return count_; }
    // Pages of the handle index held (a long run keeps only those of live handles).
    std::size_t pagesHeld() const;

private:
    static constexpr unsigned kPageBits = 10;
    static constexpr int kPageMask = (1 << kPageBits) - 1;
    struct Page {
        QXTypedObject* objects[1 << kPageBits];
        int entered;  // handles of this page still entered
    };

    // The handle slot of `object` (0: none); null when `create` is false and
    // its block has no slots yet.
    int* slotOf(const QXTypedObject* object, bool create) {
        const auto offset = reinterpret_cast<std::uintptr_t>(object) - cachedBase_;
        if (offset < cachedSpan_)
            return cachedSlots_ + static_cast<std::size_t>((std::uint64_t{offset} * cachedInverse_) >> 32);
        return slotOfSlow(object, create);
    }
    int* slotOfSlow(const QXTypedObject* object, bool create);
    int assign(QXTypedObject* object, int* slot);

    std::uintptr_t cachedBase_ = 0;
    std::uintptr_t cachedSpan_ = 0;   // 0: nothing cached
    std::uint32_t cachedInverse_ = 0;
    int* cachedSlots_ = nullptr;
    int** blockSlots_ = nullptr;      // by block number; null until a handle is in it
    std::size_t blockSlotCount_ = 0;
    int* straySlots_ = nullptr;       // objects outside every block (one slot each, by search)
    const QXTypedObject** strays_ = nullptr;
    std::size_t strayCount_ = 0;
    Page** pages_ = nullptr;  // one per 1024 handles issued; null once all are forgotten
    std::size_t pageCount_ = 0;
    std::size_t count_ = 0;
    int counter_ = 0;
};

// The process-wide handle tables the entry points use.
QXObjectHandles& objectHandles();

QXTypedObject* QXCALL _qxObjNew(QXUserType* type);
void QXCALL _qxObjDelete(QXTypedObject* object);
void QXCALL _qxObjDeleteEach(QXUserType* type);
void QXCALL _qxObjRelease(QXTypedObject* object);
void QXCALL _qxObjStore(QXTypedObject** slot, QXTypedObject* object);
int QXCALL _qxObjCompare(QXTypedObject* a, QXTypedObject* b);
QXTypedObject* QXCALL _qxObjNext(QXTypedObject* object);
QXTypedObject* QXCALL _qxObjPrev(QXTypedObject* object);
QXTypedObject* QXCALL _qxObjFirst(QXUserType* type);
QXTypedObject* QXCALL _qxObjLast(QXUserType* type);
void QXCALL _qxObjInsBefore(QXTypedObject* a, QXTypedObject* b);
void QXCALL _qxObjInsAfter(QXTypedObject* a, QXTypedObject* b);
int QXCALL _qxObjEachFirst(QXTypedObject** slot, QXUserType* type);
int QXCALL _qxObjEachNext(QXTypedObject** slot);
QXString* QXCALL _qxObjToStr(QXTypedObject* object);
int QXCALL _qxObjToHandle(QXTypedObject* object);
QXTypedObject* QXCALL _qxObjFromHandle(int handle, QXUserType* type);
[[noreturn]] void QXCALL _qxNullObjEx();
