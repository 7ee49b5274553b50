#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>

#include "TestSupport.h"
#include "core/QXArray.h"
#include "core/QXString.h"
#include "core/QXTypedObject.h"

namespace {

// An array descriptor as the compiler lays it out, extents included.
template <int N> struct TestArray {
    QXArrayDescriptor descriptor;
    int extents[N];

    TestArray(int elementType, std::initializer_list<int> highest) : descriptor{nullptr, elementType, N} {
        int k = 0;
        for (int h : highest) extents[k++] = h;
    }
};
static_assert(sizeof(TestArray<2>) == 20);

bool registeredInCore(std::string_view name) {
    for (const QXSymbolTable* table = QXSymbolTable::first(); table; table = table->next())
        for (const QXSymbol& symbol : *table)
            if (symbol.signature == name) return table->group() == QXLinkGroup::Core;
    return false;
}

bool allZero(const QXSlot* slots, int count) {
    for (int i = 0; i < count; ++i)
        if (slots[i]) return false;
    return true;
}

TEST(ArrayTest, DimTurnsHighestIndexesIntoCumulativeCountsOfZeroedStorage) {
    TestArray<1> single(kIntTypeCode, {0});
    _qxDimArray(&single.descriptor);
    EXPECT_EQ(single.extents[0], 1);
    ASSERT_NE(single.descriptor.data, nullptr);
    EXPECT_TRUE(allZero(single.descriptor.data, 1));
    _qxUndimArray(&single.descriptor);

    TestArray<2> grid(kFloatTypeCode, {2, 3});
    _qxDimArray(&grid.descriptor);
    EXPECT_EQ(grid.extents[0], 3);
    EXPECT_EQ(grid.extents[1], 12);
    EXPECT_EQ(grid.descriptor.totalElements(), 12);
    EXPECT_TRUE(allZero(grid.descriptor.data, 12));
    _qxUndimArray(&grid.descriptor);
    EXPECT_EQ(grid.descriptor.data, nullptr);
    EXPECT_EQ(grid.extents[1], 12) << "undim leaves the extents alone";

    // Re-dimensioning as compiled code does: new highest indexes, then dim.
    grid.extents[0] = 10;
    grid.extents[1] = 0;
    _qxDimArray(&grid.descriptor);
    EXPECT_EQ(grid.extents[0], 11);
    EXPECT_EQ(grid.extents[1], 11);
    _qxUndimArray(&grid.descriptor);
}

TEST(ArrayTest, UndimReleasesEachStringAndObjectElementOnce) {
    QXString* word = newString("word");
    retain(word);  // the test's own reference
    TestArray<1> strings(kStringTypeCode, {2});
    _qxDimArray(&strings.descriptor);
    strings.descriptor.data[0] = word;
    retain(word);
    strings.descriptor.data[2] = word;
    _qxUndimArray(&strings.descriptor);
    EXPECT_EQ(word->refCount, 1);
    EXPECT_EQ(strings.descriptor.data, nullptr);
    _qxUndimArray(&strings.descriptor);  // no storage: nothing happens
    EXPECT_EQ(word->refCount, 1);
    release(word);

    QXUserType node{kUserTypeCode, {}, {}, 0};
    for (QXTypedObject* s : {&node.usedList, &node.freeList}) *s = {nullptr, s, s, nullptr, 0};
    QXTypedObject* object = _qxObjNew(&node);
    TestArray<1> objects(kUserTypeCode, {1});
    _qxDimArray(&objects.descriptor);
    _qxObjStore(reinterpret_cast<QXTypedObject**>(&objects.descriptor.data[1]), object);
    EXPECT_EQ(object->refCount, 2);
    _qxUndimArray(&objects.descriptor);
    EXPECT_EQ(object->refCount, 1);
    _qxObjDeleteEach(&node);
}

TEST(ArrayTest, SizesThatStorageCannotHoldStopWithoutTouchingTheDescriptor) {
    // 65536 x 65537 elements count 65536 in 32 bits; a highest index of 2^31 - 1 overflows its
    // size; 2^29 elements need 2^31 bytes.
    for (auto [first, second] : {std::pair{65535, 65536}, std::pair{0x7FFFFFFF, 0}, std::pair{0x3FFF, 0x7FFF}}) {
        TestArray<2> huge(kIntTypeCode, {first, second});
        EXPECT_EQ(runtimeErrorOf([&] { _qxDimArray(&huge.descriptor); }), "Array too large")
            << first << " x " << second;
        EXPECT_EQ(huge.descriptor.data, nullptr);
        EXPECT_EQ(huge.extents[0], first);
        EXPECT_EQ(huge.extents[1], second);
    }
    for (auto [first, second] : {std::pair{-1, 3}, std::pair{3, -2}, std::pair{-2, -2}}) {
        TestArray<2> negative(kIntTypeCode, {first, second});
        EXPECT_EQ(runtimeErrorOf([&] { _qxDimArray(&negative.descriptor); }), "Negative array dimension");
        EXPECT_EQ(negative.descriptor.data, nullptr);
        EXPECT_EQ(negative.extents[0], first);
    }
}

TEST(ArrayTest, BoundsErrorsStopWithTheirOwnTexts) {
    EXPECT_EQ(runtimeErrorOf([] { _qxArrayBoundsEx(); }), "Array index out of bounds");
    EXPECT_EQ(runtimeErrorOf([] { _qxVecBoundsEx(); }), "Quelt array index out of bounds");
}

TEST(ArrayTest, VectorsAreZeroedAndReleaseOnlyStringAndObjectElements) {
    const QXVectorType floats{kVectorTypeCode, 5, &_qxFltType};
    QXSlot* numbers = _qxVecAlloc(&floats);
    EXPECT_TRUE(allZero(numbers, 5));
    // Float bits that happen to look like a pointer must not be released.
    numbers[0] = reinterpret_cast<QXSlot>(0x3F800000);
    _qxVecFree(numbers, &floats);

    const QXVectorType strings{kVectorTypeCode, 3, &_qxStrType};
    QXSlot* texts = _qxVecAlloc(&strings);
    QXString* word = newString("word");
    texts[1] = word;
    retain(word);
    _qxVecFree(texts, &strings);
    EXPECT_EQ(word->refCount, 1);
    release(word);

    const QXVectorType inner{kVectorTypeCode, 2, &_qxIntType};
    const QXVectorType nested{kVectorTypeCode, 1, reinterpret_cast<const QXTypeDescriptor*>(&inner)};
    QXSlot* outer = _qxVecAlloc(&nested);
    _qxVecFree(outer, &nested);  // null inner storage: nothing to do
}

TEST(ArrayTest, PrimitiveDescriptorsAreRegisteredCoreDataWords) {
    for (auto [name, code] : {std::pair{"_qxIntType", 1}, std::pair{"_qxFltType", 2}, std::pair{"_qxStrType", 3},
                              std::pair{"_qxCStrType", 4}}) {
        const QXSymbol* symbol = findRegisteredSymbol(name);
        ASSERT_NE(symbol, nullptr) << name;
        EXPECT_STREQ(symbol->types, "d");
        EXPECT_EQ(*static_cast<const int*>(symbol->address), code);
    }
    for (const char* name : {"_qxIntType", "_qxFltType", "_qxStrType", "_qxCStrType", "_qxDimArray",
                             "_qxUndimArray", "_qxArrayBoundsEx", "_qxVecAlloc", "_qxVecFree", "_qxVecBoundsEx"})
        EXPECT_TRUE(registeredInCore(name)) << name;
}

}  // namespace
