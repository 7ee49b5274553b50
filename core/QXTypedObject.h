#pragma once
// Objects of user-defined types. Each type keeps its objects on one doubly
// linked list in creation order and recycles their memory through a free
// list; both lists are headed by sentinels inside the type descriptor, which
// the compiler lays out. Objects are reference counted: the type's list holds
// one reference until deletion, which clears the fields pointer so that the
// object reads as Null while variables still hold it.

#include <cstddef>
#include <unordered_map>

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
// from 1 and are never reused; the tables hold no references.
class QXObjectHandles {
public:
    // The object's handle, assigned now if it has none.
    int handleOf(QXTypedObject* object);
    // The object entered for `handle`, or null.
    QXTypedObject* objectOf(int handle) const;
    void forget(QXTypedObject* object);
    std::size_t size() const { return handles_.size(); }

private:
    std::unordered_map<const QXTypedObject*, int> handles_;
    std::unordered_map<int, QXTypedObject*> objects_;
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
