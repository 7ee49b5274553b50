/* Arrays and vectors as compiled code drives them: descriptors laid out in
   the module's data exactly as the compiler lays them out, dimensioned,
   filled, re-dimensioned and freed. A failed check stops with a runtime
   error naming it; a clean run ends without one. */
#include "quelt.h"

typedef struct {
    void** data;
    int elementType;
    int dimensionCount;
    int extents[2];
} Array2;

typedef struct {
    int code;
    int count;
    const void* elementType;
} VectorType;

static Array2 grid = {0, 3, 2, {2, 3}}; /* Dim grid$(2, 3) */
static const VectorType names = {6, 4, _qxStrType};
static const VectorType floats = {6, 2, _qxFltType};

static void check(int ok, const char* what) {
    if (!ok) RuntimeError(_qxStrFromCStr((void*)what));
}

static int allZero(void** slots, int count) {
    for (int i = 0; i < count; ++i)
        if (slots[i]) return 0;
    return 1;
}

static void fillWithNumbers(void** slots, int count) {
    for (int i = 0; i < count; ++i) {
        _qxStrStore((void*)&slots[i], _qxStrFromInt(1000 + i));
        _qxStrTmpFree(1);
    }
}

void qxmain(void) {
    check(*(const int*)_qxIntType == 1 && *(const int*)_qxFltType == 2, "primitive descriptors 1 and 2");
    check(*(const int*)_qxStrType == 3 && *(const int*)_qxCStrType == 4, "primitive descriptors 3 and 4");

    const int baseline = ActiveObjects();
    _qxDimArray(&grid);
    check(grid.extents[0] == 3 && grid.extents[1] == 12, "cumulative extents 3 and 12");
    check(grid.data != 0 && allZero(grid.data, 12), "twelve zeroed elements");
    fillWithNumbers(grid.data, 12);
    check(ActiveObjects() == baseline + 12, "twelve strings stored");
    _qxUndimArray(&grid);
    check(grid.data == 0 && ActiveObjects() == baseline, "undim releases every string");
    _qxUndimArray(&grid);
    check(grid.extents[1] == 12, "undim leaves the extents");

    grid.extents[0] = 0; /* Dim grid$(0, 10) */
    grid.extents[1] = 10;
    _qxDimArray(&grid);
    check(grid.extents[0] == 1 && grid.extents[1] == 11, "re-dimensioned extents 1 and 11");
    check(allZero(grid.data, 11), "re-dimensioned storage is zeroed");
    _qxUndimArray(&grid);

    void** tags = _qxVecAlloc((void*)&names);
    check(allZero(tags, 4), "vector storage is zeroed");
    fillWithNumbers(tags, 4);
    check(ActiveObjects() == baseline + 4, "four strings in the vector");
    _qxVecFree(tags, (void*)&names);
    check(ActiveObjects() == baseline, "freeing the vector releases its strings");

    int* numbers = _qxVecAlloc((void*)&floats);
    numbers[0] = 0x3F800000; /* 1.0: not a reference */
    _qxVecFree(numbers, (void*)&floats);
    check(ActiveObjects() == baseline, "a float vector releases nothing");
}
