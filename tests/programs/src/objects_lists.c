/* Typed objects as compiled code drives them: user type descriptors laid out
   in the module's data exactly as the compiler lays them out, objects created,
   walked, reordered, turned into handles and deleted. A failed check stops
   with a runtime error naming it; a clean run ends without one. */
#include "quelt.h"

typedef struct Header {
    void** fields;
    struct Header* next;
    struct Header* previous;
    void* type;
    int count;
} Header;

typedef struct {
    int code;
    int count;
    const void* elementType;
} VectorType;

/* Type Node: Field value%, name$, link.Node, tags$[2] */
typedef struct {
    int code;
    Header used;
    Header free;
    int fieldCount;
    const void* fieldTypes[4];
} NodeType;

/* Type Item: Field weight# */
typedef struct {
    int code;
    Header used;
    Header free;
    int fieldCount;
    const void* fieldTypes[1];
} ItemType;

enum { VALUE, NAME, LINK, TAGS };

static const VectorType tagsType = {6, 3, _qxStrType};
NodeType node = {5, {0, &node.used, &node.used, 0, 0}, {0, &node.free, &node.free, 0, 0}, 4,
                 {_qxIntType, _qxStrType, &node, &tagsType}};
ItemType item = {5, {0, &item.used, &item.used, 0, 0}, {0, &item.free, &item.free, 0, 0}, 1, {_qxFltType}};

static void check(int ok, const char* what) {
    if (!ok) RuntimeError(_qxStrFromCStr((void*)what));
}

static Header* newNode(int value) {
    Header* n = _qxObjNew(&node);
    n->fields[VALUE] = (void*)value;
    return n;
}
static int valueOf(Header* n) { return (int)n->fields[VALUE]; }

static int listLength(Header* sentinel) {
    int length = 0;
    for (Header* h = sentinel->next; h != sentinel; h = h->next) ++length;
    return length;
}

/* The values of the live nodes, first to last, as decimal digits. */
static int order(void) {
    int digits = 0;
    for (Header* n = _qxObjFirst(&node); n; n = _qxObjNext(n)) digits = digits * 10 + valueOf(n);
    return digits;
}
static int reverseOrder(void) {
    int digits = 0;
    for (Header* n = _qxObjLast(&node); n; n = _qxObjPrev(n)) digits = digits * 10 + valueOf(n);
    return digits;
}

static void walksAndReordering(void) {
    Header* a = newNode(1);
    Header* b = newNode(2);
    Header* c = newNode(3);
    check(order() == 123 && reverseOrder() == 321, "creation order");
    check(a->count == 1 && a->type == &node && a->fields == (void**)(a + 1), "a new object's header");
    check(a->fields[NAME] == 0 && a->fields[LINK] == 0, "new fields are zero");
    _qxObjInsBefore(c, a);
    check(order() == 312, "insert before");
    _qxObjInsAfter(c, b);
    check(order() == 123, "insert after");
    _qxObjInsAfter(a, a);
    _qxObjInsBefore(b, b);
    check(order() == 123, "inserting an object next to itself");

    Header* held = 0;
    _qxObjStore(&held, b);
    check(b->count == 2, "a variable holds a reference");
    _qxObjDelete(b);
    check(_qxObjCompare(held, 0) == 0 && _qxObjCompare(a, 0) == 1, "a deleted object equals Null");
    check(order() == 13 && _qxObjNext(held) == c, "walks pass a deleted object");
    check(listLength(&node.used) == 3, "the deleted object stays while held");
    _qxObjStore(&held, 0);
    check(listLength(&node.used) == 2 && node.free.previous == (Header*)b, "released last, it is recycled");
    _qxObjDeleteEach(&node);
    check(_qxObjFirst(&node) == 0 && listLength(&node.used) == 0, "delete each");
}

static void handles(void) {
    Header* a = newNode(1);
    Header* b = newNode(2);
    check(_qxObjToHandle(a) == 1 && _qxObjToHandle(b) == 2 && _qxObjToHandle(a) == 1, "handles 1 and 2");
    check(_qxObjFromHandle(2, &node) == b && _qxObjFromHandle(2, &item) == 0, "handle of another type");
    check(_qxObjFromHandle(3, &node) == 0 && _qxObjToHandle(0) == 0, "no object, no handle");
    _qxObjDelete(a);
    check(_qxObjFromHandle(1, &node) == 0 && _qxObjToHandle(a) == 0, "deletion ends the handle");
    check(_qxObjToHandle(newNode(3)) == 3, "handles are not reused");
    _qxObjDeleteEach(&node);
}

static void fieldReleases(void) {
    const int baseline = ActiveObjects();
    Header* child = newNode(2);
    Header* parent = newNode(1);
    _qxStrStore((void*)&parent->fields[NAME], _qxStrFromInt(12345));
    _qxStrTmpFree(1);
    void** tags = parent->fields[TAGS];
    check(tags != 0 && tags[0] == 0 && tags[2] == 0, "a vector field gets zeroed storage");
    for (int i = 0; i < 3; ++i) {
        _qxStrStore((void*)&tags[i], _qxStrFromInt(1000 + i));
        _qxStrTmpFree(1);
    }
    _qxObjStore((void*)&parent->fields[LINK], child);
    check(ActiveObjects() == baseline + 4 && child->count == 2, "fields hold their values");
    _qxObjDelete(parent);
    check(ActiveObjects() == baseline && child->count == 1, "deletion releases every field");
    _qxObjDelete(parent);
    check(child->count == 1, "a second deletion releases nothing");
    _qxObjDeleteEach(&node);
}

static void eachLoopDeletingTheCurrentObject(void) {
    Header* previous = 0;
    for (int i = 1; i <= 5; ++i) {
        Header* n = newNode(i);
        if (previous) _qxObjStore((void*)&previous->fields[LINK], n);
        previous = n;
    }
    Header* current = 0;
    int visited = 0;
    for (int more = _qxObjEachFirst(&current, &node); more; more = _qxObjEachNext(&current)) {
        visited = visited * 10 + valueOf(current);
        _qxObjDelete(current);
    }
    check(visited == 12345 && current == 0, "the loop visits every object");
    check(listLength(&node.used) == 0, "every object deleted and recycled");
}

static void deleteEachWhenAFieldHeldTheNextObject(void) {
    Header* a = newNode(1);
    Header* b = newNode(2);
    newNode(3);
    newNode(4);
    _qxObjStore((void*)&a->fields[LINK], b);
    _qxObjDelete(b);
    _qxObjDeleteEach(&node);
    check(order() == 0 && listLength(&node.used) == 0, "delete each reaches the objects after a freed one");
}

static void blocksOf512(void) {
    Header* first = _qxObjNew(&item);
    check(listLength(&item.free) == 511, "one block of 512");
    Header* last = first;
    for (int i = 1; i < 512; ++i) last = _qxObjNew(&item);
    check((char*)last - (char*)first == 511 * 24, "a block's objects in address order");
    check(listLength(&item.free) == 0, "the block is used up");
    _qxObjNew(&item);
    check(listLength(&item.free) == 511, "the 513th object takes a new block");
    _qxObjDeleteEach(&item);
    check(listLength(&item.free) == 1024, "all recycled");
    check(_qxObjNew(&item) != 0 && listLength(&item.free) == 1023, "recycled objects are reused");
}

void qxmain(void) {
    handles(); /* first: the run's first handle is 1 */
    walksAndReordering();
    fieldReleases();
    eachLoopDeletingTheCurrentObject();
    deleteEachWhenAFieldHeldTheNextObject();
    blocksOf512();
    QXString* text = _qxObjToStr(0);
    check(_qxStrCompare(text, _qxStrFromCStr("[OBJECT]")) == 0, "object text");
    _qxStrTmpFree(2);
}
