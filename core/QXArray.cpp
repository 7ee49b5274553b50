#include "core/QXArray.h"

#include <cstdint>
#include <cstdlib>

#include "runtime/QXError.h"

namespace {

// Zeroed storage for `count` slots; a runtime error rather than a null block
// that compiled code would index into.
QXSlot* allocateSlots(int count) {
    void* block = std::calloc(count > 0 ? static_cast<std::size_t>(count) : 1, sizeof(QXSlot));
    if (!block) runtimeError("Out of memory");
    return static_cast<QXSlot*>(block);
}

// The element count the declared highest indexes ask for. Refuses what
// cumulative extents or a 32-bit byte size cannot express, before anything
// is changed: compiled code trusts the extents when it indexes the storage.
int checkedElementCount(const QXArrayDescriptor& array) {
    std::int64_t total = 1;
    for (int k = 0; k < array.dimensionCount; ++k) {
        const int highest = array.extents()[k];
        if (highest < 0) runtimeError("Negative array dimension");
        total *= static_cast<std::int64_t>(highest) + 1;
        if (total > kMaxArrayElements) runtimeError("Array too large");
    }
    return array.dimensionCount > 0 ? static_cast<int>(total) : 0;
}

}  // namespace

void QXCALL _qxDimArray(QXArrayDescriptor* array) {
    const int total = checkedElementCount(*array);
    int* extents = array->extents();
    int cumulative = 1;
    for (int k = 0; k < array->dimensionCount; ++k) {
        cumulative *= extents[k] + 1;
        extents[k] = cumulative;
    }
    array->data = allocateSlots(total);
}

void QXCALL _qxUndimArray(QXArrayDescriptor* array) {
    if (!array->data) return;
    releaseSlots(array->data, array->totalElements(), array->elementType);
    std::free(array->data);
    array->data = nullptr;
}

void QXCALL _qxArrayBoundsEx() { runtimeError("Array index out of bounds"); }

QXSlot* QXCALL _qxVecAlloc(const QXVectorType* type) { return allocateSlots(type->count); }

void QXCALL _qxVecFree(QXSlot* storage, const QXVectorType* type) {
    if (!storage) return;
    // Elements that are vectors themselves are left alone: nothing allocates them.
    releaseSlots(storage, type->count, type->elementType->code);
    std::free(storage);
}

void QXCALL _qxVecBoundsEx() { runtimeError("Quelt array index out of bounds"); }

namespace {
const QXSymbol entryPoints[] = {
    QX_COMMAND("_qxDimArray", _qxDimArray),
    QX_COMMAND("_qxUndimArray", _qxUndimArray),
    QX_COMMAND("_qxArrayBoundsEx", _qxArrayBoundsEx),
    QX_COMMAND("_qxVecAlloc", _qxVecAlloc),
    QX_COMMAND("_qxVecFree", _qxVecFree),
    QX_COMMAND("_qxVecBoundsEx", _qxVecBoundsEx),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Core, entryPoints);
}  // namespace
