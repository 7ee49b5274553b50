/* Uses a deleted object the way compiled code guards it. */
#include "quelt.h"

struct Header {
    void** fields;
    struct Header* next;
    struct Header* previous;
    void* type;
    int count;
};
struct {
    int code;
    struct Header used;
    struct Header free;
    int fieldCount;
} empty = {5, {0, &empty.used, &empty.used, 0, 0}, {0, &empty.free, &empty.free, 0, 0}, 0};

void qxmain(void) {
    struct Header* object = 0;
    _qxObjStore(&object, _qxObjNew(&empty));
    _qxObjDelete(object);
    if (_qxObjCompare(object, 0) == 0) _qxNullObjEx();
    RuntimeError(_qxStrFromCStr("still exists"));
}
