#pragma once
// What a 32-bit slot of compiled code holds, as the compiler tells the
// runtime: type codes, and the descriptors that carry them. Descriptors are
// laid out by the compiler (user types, vector types) or provided by the
// runtime (the four primitive ones); their layout is a binary contract.

#include <cstddef>

class QXString;
struct QXTypedObject;

static_assert(sizeof(void*) == 4, "slots and descriptors are 32-bit records");

enum QXTypeCode : int {
    kIntTypeCode = 1,     // signed 32-bit value
    kFloatTypeCode = 2,   // 32-bit IEEE single
    kStringTypeCode = 3,  // owned QXString reference, null for the empty string
    kCStringTypeCode = 4, // pointer to constant zero-terminated bytes (DATA items)
    kUserTypeCode = 5,    // owned typed-object reference, or null
    kVectorTypeCode = 6,  // owned vector storage
};

// Every type descriptor begins with its code.
struct QXTypeDescriptor {
    int code;
};

// A vector type: a fixed number of elements of one type.
struct QXVectorType {
    int code;  // kVectorTypeCode
    int count;
    const QXTypeDescriptor* elementType;
};
static_assert(offsetof(QXVectorType, count) == 4 && offsetof(QXVectorType, elementType) == 8 &&
              sizeof(QXVectorType) == 12);

// One slot of an array, a vector or an object: 32 bits whose meaning the
// type code gives. The runtime only zeroes slots and releases what they own.
using QXSlot = void*;

// Releases what `count` slots of type `code` own (strings and objects; other
// codes own nothing the runtime frees) and clears them.
void releaseSlots(QXSlot* slots, int count, int code);

// The primitive descriptors, registered as data objects.
extern const QXTypeDescriptor _qxIntType;
extern const QXTypeDescriptor _qxFltType;
extern const QXTypeDescriptor _qxStrType;
extern const QXTypeDescriptor _qxCStrType;
