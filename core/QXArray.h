#pragma once
// Arrays (dimensioned at run time) and vectors (sized by the compiler). The
// compiled code owns the descriptors and indexes the storage itself; the
// runtime allocates and frees the storage, releases what its elements own and
// reports index errors.

#include <cstddef>

#include "core/QXType.h"
#include "runtime/QXRegistry.h"

// An array as the compiler lays it out, followed directly by one extent per
// dimension: the declared highest indexes before _qxDimArray, the cumulative
// element counts after it (the last one is the total).
struct QXArrayDescriptor {
    QXSlot* data;  // null while the array has no storage
    int elementType;
    int dimensionCount;

    int* extents() { return reinterpret_cast<int*>(this + 1); }
    const int* extents() const { return reinterpret_cast<const int*>(this + 1); }
    int totalElements() const { return dimensionCount > 0 ? extents()[dimensionCount - 1] : 0; }
};
static_assert(offsetof(QXArrayDescriptor, elementType) == 4 && offsetof(QXArrayDescriptor, dimensionCount) == 8 &&
              sizeof(QXArrayDescriptor) == 12, "the extents begin at offset 12");

// Largest array whose byte size still fits a signed 32-bit count.
constexpr int kMaxArrayElements = 0x7FFFFFFF / static_cast<int>(sizeof(QXSlot));

void QXCALL _qxDimArray(QXArrayDescriptor* array);
void QXCALL _qxUndimArray(QXArrayDescriptor* array);
[[noreturn]] void QXCALL _qxArrayBoundsEx();
QXSlot* QXCALL _qxVecAlloc(const QXVectorType* type);
void QXCALL _qxVecFree(QXSlot* storage, const QXVectorType* type);
[[noreturn]] void QXCALL _qxVecBoundsEx();
