/* Stops with the error that its argument names: an index check that failed
   in compiled code, or an array that cannot be dimensioned. */
#include "quelt.h"

static struct {
    void** data;
    int elementType;
    int dimensionCount;
    int extents[2];
} grid = {0, 1, 2, {0, 0}};

/* The arguments, without the blank that follows a quoted program path. */
static const char* argument(void) {
    const char* text = _qxStrToCStr(CommandLine());
    while (*text == ' ') ++text;
    return text;
}

static int argumentIs(const char* word) {
    const char* text = argument();
    while (*word && *word == *text) ++word, ++text;
    return *word == 0 && *text == 0;
}

void qxmain(void) {
    if (argumentIs("array")) _qxArrayBoundsEx();
    if (argumentIs("vector")) _qxVecBoundsEx();
    if (argumentIs("huge")) { /* 65536 x 65537 elements: 65536 when counted in 32 bits */
        grid.extents[0] = 65535;
        grid.extents[1] = 65536;
    }
    if (argumentIs("negative")) grid.extents[1] = -1;
    _qxDimArray(&grid);
    ((int*)grid.data)[grid.extents[1] - 1] = 1; /* the last element exists */
    RuntimeError(_qxStrFromCStr("dimensioned"));
}
