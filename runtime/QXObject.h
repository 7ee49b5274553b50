#pragma once
// Runtime objects: reference counted, addressed by handle (their address), and
// validated against the set of live objects before a command touches them.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>

#include "runtime/QXBlockHeap.h"
#include "runtime/QXError.h"
#include "runtime/QXLiveSet.h"

// Sanitizer builds keep objects on the C heap, where a use after free is caught.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QX_OBJECTS_ON_C_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(QX_OBJECTS_ON_C_HEAP)
#define QX_OBJECTS_ON_C_HEAP 1
#endif
#ifndef QX_OBJECTS_ON_C_HEAP
#define QX_OBJECTS_ON_C_HEAP 0
#endif

namespace qxlive {
// Constant-initialised and never destroyed: objects may be built during static
// construction and released by static destructors at exit. Defined in QXObject.cpp.
union Storage {
    QXLiveSet set;
    constexpr Storage() : set() {}
    ~Storage() {}
};
extern constinit Storage liveObjects;

[[noreturn]] void referencedObjectDeleted();
}  // namespace qxlive

class QXObject {
public:
    // Inline: every object, strings included, is built and destroyed through here.
    QXObject() { qxlive::liveObjects.set.insert(this); }
    QXObject(const QXObject&) = delete;
    QXObject& operator=(const QXObject&) = delete;

    // Slot order is part of the binary contract: destructor, destroy, query.
    virtual ~QXObject() {
        // A constructor that throws (out of memory, say) unwinds the object
        // with its first reference still counted: that is no broken invariant.
        if (refCount != 0 && std::uncaught_exceptions() == 0) [[unlikely]]
            qxlive::referencedObjectDeleted();
        qxlive::liveObjects.set.erase(this);
    }
    // Called when the count drops to 0; frees the object.
    virtual void destroy();
    // Answers QueryObject and findOwned.
    virtual int query(int queryId);

#if !QX_OBJECTS_ON_C_HEAP
    // Objects live in the block heap, whose free lists make and free small
    // ones without the C heap. Failure throws, as the global form does.
    static void* operator new(std::size_t size) {
        if (void* block = tryAllocateBlock(size)) return block;
        throw std::bad_alloc();
    }
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return tryAllocateBlock(size); }
    static void* operator new(std::size_t, void* place) noexcept { return place; }
    static void operator delete(void* block) { freeBlock(block); }
    static void operator delete(void* block, const std::nothrow_t&) noexcept { freeBlock(block); }
    static void operator delete(void*, void*) noexcept {}
#endif

    int refCount = 1;
};

inline void retain(QXObject* object) { ++object->refCount; }
inline void release(QXObject* object) {
    if (object && --object->refCount == 0) object->destroy();
}

bool isLiveObject(const void* address);
int liveObjectCount();
// The live object at `handle`, or null: never reads memory that is not a live object.
QXObject* liveObject(std::uintptr_t handle);

// The handle as a live object of class T (or derived), or the runtime error
// "Invalid <kind> handle".
template <class T> T* checkHandle(std::uintptr_t handle, const char* kind) {
    T* object = dynamic_cast<T*>(liveObject(handle));
    if (!object) runtimeError("Invalid %s handle", kind);
    return object;
}
template <class T> T* checkHandle(const void* handle, const char* kind) {
    return checkHandle<T>(reinterpret_cast<std::uintptr_t>(handle), kind);
}
template <class T> T* checkHandle(int handle, const char* kind) {
    return checkHandle<T>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(handle)), kind);
}

// A handle as compiled code holds it.
inline int handleOf(const QXObject* object) {
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(object));
}

struct QXOwnership;

// A resource owns other resources and may be owned by any number of owners.
// Ownership does not add a reference: the owner holds the one the resource was built with.
class QXResource : public QXObject {
public:
    QXResource();
    ~QXResource() override;
    void destroy() override;
    int query(int queryId) override;

    // Links `resource` as owned (first in both lists); null is ignored.
    void addOwned(QXResource* resource);
    // The first non-zero answer of the owned resources to `queryId`, oldest first.
    int findOwned(int queryId);
    // Unhooks the resource from all its owners, who then no longer drop the
    // reference it was built with: for a program that drops that reference
    // itself while others still hold theirs.
    void leaveOwners();

private:
    friend struct QXOwnership;
    // Anchor of the two circular lists; each link joins one owner and one owned resource.
    struct Link {
        QXResource* owner;
        QXResource* owned;
        Link* ownedPrev;  // place in the owner's owned list
        Link* ownedNext;
        Link* ownerPrev;  // place in the owned resource's owner list
        Link* ownerNext;
    };
    Link anchor_;
    void unhookAll();
};

// Query names and their identifiers. Identifiers count up from 10001; the
// runtime's own names come first. The table keeps the caller's (static) text.
class QXQueryIds {
public:
    static constexpr int kCapacity = 256;

    constexpr QXQueryIds() {
        const char* const runtimeNames[] = {"Q2DBuffer", "GLFont", "QXGLContext"};
        for (const char* name : runtimeNames) entries_[used_++] = {name, ++counter_};
    }
    // The identifier of `name`, registering it when new ("Out of QIDS!" when full).
    int idOf(const char* name);

private:
    struct Entry {
        const char* name;
        int id;
    };
    Entry entries_[kCapacity] = {};
    int used_ = 0;
    int counter_ = 10000;
};

// The identifier of a query name in the runtime's table.
int queryId(const char* name);

// Writes the per-class object report through the debug log.
void writeObjectReport();
