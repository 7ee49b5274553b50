#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "TestSupport.h"
#include "core/QXArray.h"
#include "core/QXString.h"
#include "core/QXStringEntries.h"
#include "core/QXTypedObject.h"

namespace {

// A user type as the compiler lays it out: both lists empty and circular.
template <int N> struct TestType {
    QXUserType type;
    const QXTypeDescriptor* fieldTypes[N > 0 ? N : 1];

    explicit TestType(std::initializer_list<const void*> fields) : type{kUserTypeCode, {}, {}, N}, fieldTypes{} {
        for (QXTypedObject* s : {&type.usedList, &type.freeList}) *s = {nullptr, s, s, nullptr, 0};
        int i = 0;
        for (const void* field : fields) fieldTypes[i++] = static_cast<const QXTypeDescriptor*>(field);
    }
    TestType(const TestType&) = delete;
    ~TestType() { _qxObjDeleteEach(&type); }

    QXTypedObject* make() { return _qxObjNew(&type); }
    // The live objects, first to last.
    std::vector<QXTypedObject*> walk() {
        std::vector<QXTypedObject*> seen;
        for (QXTypedObject* o = _qxObjFirst(&type); o; o = _qxObjNext(o)) seen.push_back(o);
        return seen;
    }
    int listLength(QXTypedObject& sentinel) {
        int n = 0;
        for (QXTypedObject* o = sentinel.next; o != &sentinel; o = o->next) ++n;
        return n;
    }
};

QXSlot& field(QXTypedObject* object, int i) { return object->fields[i]; }
QXTypedObject** objectSlot(QXSlot& slot) { return reinterpret_cast<QXTypedObject**>(&slot); }

TEST(TypedObjectTest, NewTakesObjectsFromBlocksOf512InCreationOrder) {
    TestType<2> point({&_qxIntType, &_qxFltType});
    QXTypedObject* first = point.make();
    EXPECT_EQ(point.listLength(point.type.freeList), kObjectsPerBlock - 1);
    EXPECT_EQ(first->fields, first->slots());
    EXPECT_EQ(first->type, &point.type);
    EXPECT_EQ(first->refCount, 1);
    EXPECT_EQ(field(first, 0), nullptr);

    std::vector<QXTypedObject*> made{first};
    for (int i = 1; i < kObjectsPerBlock; ++i) made.push_back(point.make());
    const auto size = static_cast<std::ptrdiff_t>(point.type.objectSize());
    EXPECT_EQ(size, 28);
    EXPECT_EQ(reinterpret_cast<char*>(made.back()) - reinterpret_cast<char*>(first), size * (kObjectsPerBlock - 1));
    EXPECT_EQ(point.listLength(point.type.freeList), 0);
    made.push_back(point.make());  // the 513th takes a new block
    EXPECT_EQ(point.listLength(point.type.freeList), kObjectsPerBlock - 1);
    EXPECT_EQ(point.walk(), made);
    EXPECT_EQ(_qxObjLast(&point.type), made.back());
    EXPECT_EQ(_qxObjPrev(made[1]), first);
    EXPECT_EQ(_qxObjPrev(first), nullptr);
}

TEST(TypedObjectTest, DeletedObjectStaysInvisibleUntilItsLastReferenceGoes) {
    TestType<1> node({&_qxIntType});
    QXTypedObject* a = node.make();
    QXTypedObject* b = node.make();
    QXTypedObject* c = node.make();
    QXTypedObject* variable = nullptr;
    _qxObjStore(&variable, b);
    const int handle = _qxObjToHandle(b);
    ASSERT_GT(handle, 0);

    _qxObjDelete(b);
    EXPECT_EQ(_qxObjCompare(variable, nullptr), 0);
    EXPECT_EQ(_qxObjCompare(a, nullptr), 1);
    EXPECT_EQ(node.walk(), (std::vector{a, c}));
    EXPECT_EQ(_qxObjNext(b), c) << "links of a deleted object stay usable";
    EXPECT_EQ(_qxObjPrev(c), a);
    EXPECT_EQ(_qxObjFromHandle(handle, &node.type), nullptr);
    EXPECT_EQ(_qxObjToHandle(b), 0);
    EXPECT_EQ(b->refCount, 1);
    _qxObjDelete(b);  // deleting twice changes nothing
    EXPECT_EQ(b->refCount, 1);

    _qxObjStore(&variable, nullptr);
    EXPECT_EQ(node.listLength(node.type.usedList), 2);
    EXPECT_EQ(node.type.freeList.previous, b) << "recycled at the end of the free list";

    // A live object that nothing else holds keeps its list reference.
    _qxObjStore(&variable, a);
    _qxObjStore(&variable, nullptr);
    EXPECT_EQ(node.walk(), (std::vector{a, c}));
}

TEST(TypedObjectTest, DeletionReleasesEachFieldOnce) {
    const QXVectorType names{kVectorTypeCode, 3, &_qxStrType};
    TestType<1> leaf({&_qxIntType});
    TestType<4> holder({&_qxStrType, &leaf.type, &names, &_qxCStrType});
    QXTypedObject* object = holder.make();
    ASSERT_NE(field(object, 2), nullptr) << "vector fields get storage";
    EXPECT_EQ(static_cast<QXSlot*>(field(object, 2))[2], nullptr);

    QXString* only = newString("only");
    field(object, 0) = only;
    QXTypedObject* child = leaf.make();
    _qxObjStore(objectSlot(field(object, 1)), child);
    QXString* shared = newString("shared");
    auto* vector = static_cast<QXSlot*>(field(object, 2));
    for (int i : {0, 2}) {
        retain(shared);
        vector[i] = shared;
    }
    field(object, 3) = const_cast<char*>("constant");

    _qxObjDelete(object);
    EXPECT_FALSE(isLiveObject(only)) << "the field held the only reference";
    EXPECT_EQ(child->refCount, 1);
    EXPECT_EQ(shared->refCount, 1);
    _qxObjDelete(object);
    EXPECT_EQ(child->refCount, 1);
    EXPECT_EQ(shared->refCount, 1);
    release(shared);
}

TEST(TypedObjectTest, EachLoopDeletingTheCurrentObjectVisitsAll) {
    TestType<1> node({nullptr});
    node.fieldTypes[0] = reinterpret_cast<const QXTypeDescriptor*>(&node.type);  // Field next.Node
    std::vector<QXTypedObject*> made;
    for (int i = 0; i < 6; ++i) made.push_back(node.make());
    // Each object refers to the one after it, so deleting one releases a field reference.
    for (int i = 0; i + 1 < 6; ++i) _qxObjStore(objectSlot(field(made[i], 0)), made[i + 1]);

    QXTypedObject* current = nullptr;
    std::vector<QXTypedObject*> visited;
    for (int more = _qxObjEachFirst(&current, &node.type); more; more = _qxObjEachNext(&current)) {
        visited.push_back(current);
        _qxObjDelete(current);
    }
    EXPECT_EQ(visited, made);
    EXPECT_EQ(current, nullptr);
    EXPECT_EQ(node.listLength(node.type.usedList), 0);
    EXPECT_EQ(node.listLength(node.type.freeList), kObjectsPerBlock);
}

TEST(TypedObjectTest, DeleteEachCopesWithObjectsFreedByFieldReleases) {
    TestType<1> node({nullptr});
    node.fieldTypes[0] = reinterpret_cast<const QXTypeDescriptor*>(&node.type);
    QXTypedObject* a = node.make();
    QXTypedObject* b = node.make();
    node.make();
    node.make();
    _qxObjStore(objectSlot(field(a, 0)), b);
    _qxObjDelete(b);  // now held only by a's field, right after a on the used list

    _qxObjDeleteEach(&node.type);
    EXPECT_EQ(node.walk(), std::vector<QXTypedObject*>{});
    EXPECT_EQ(node.listLength(node.type.usedList), 0);
    EXPECT_EQ(node.listLength(node.type.freeList), kObjectsPerBlock);
}

TEST(TypedObjectTest, InsertBeforeAndAfterReorderTheList) {
    TestType<0> item({});
    QXTypedObject* a = item.make();
    QXTypedObject* b = item.make();
    QXTypedObject* c = item.make();
    _qxObjInsBefore(c, a);
    EXPECT_EQ(item.walk(), (std::vector{c, a, b}));
    _qxObjInsAfter(c, b);
    EXPECT_EQ(item.walk(), (std::vector{a, b, c}));
    _qxObjInsAfter(a, b);
    EXPECT_EQ(item.walk(), (std::vector{b, a, c}));
    _qxObjInsBefore(a, a);
    _qxObjInsAfter(c, c);
    EXPECT_EQ(item.walk(), (std::vector{b, a, c}));
    EXPECT_EQ(_qxObjLast(&item.type), c);
}

TEST(TypedObjectTest, HandlesCountUpAndNameOnlyObjectsOfTheAskedType) {
    QXObjectHandles fresh;
    TestType<0> thing({});
    TestType<0> other({});
    QXTypedObject* a = thing.make();
    QXTypedObject* b = thing.make();
    EXPECT_EQ(fresh.handleOf(a), 1);
    EXPECT_EQ(fresh.handleOf(a), 1);
    EXPECT_EQ(fresh.handleOf(b), 2);
    fresh.forget(a);
    EXPECT_EQ(fresh.objectOf(1), nullptr);
    EXPECT_EQ(fresh.handleOf(a), 3) << "handles are never reused";

    const int ha = _qxObjToHandle(a);
    const int hb = _qxObjToHandle(b);
    EXPECT_EQ(hb, ha + 1);
    EXPECT_EQ(_qxObjToHandle(a), ha);
    EXPECT_EQ(_qxObjFromHandle(ha, &thing.type), a);
    EXPECT_EQ(_qxObjFromHandle(ha, &other.type), nullptr);
    EXPECT_EQ(_qxObjFromHandle(0, &thing.type), nullptr);
    EXPECT_EQ(_qxObjToHandle(nullptr), 0);
}

TEST(TypedObjectTest, HandlesAcrossManyBlocksAndTypesRoundTripAndTheirPagesGo) {
    // Objects of two sizes in many blocks, handed handles in an order that
    // jumps between blocks and types; every one maps back, forgotten ones
    // map to nothing, and pages whose handles are all forgotten are freed.
    QXObjectHandles handles;
    TestType<0> small({});
    TestType<7> large({&_qxIntType, &_qxIntType, &_qxIntType, &_qxIntType, &_qxIntType, &_qxIntType, &_qxIntType});
    std::vector<QXTypedObject*> objects;
    for (int i = 0; i < 3 * kObjectsPerBlock; ++i) {
        objects.push_back(small.make());
        objects.push_back(large.make());
    }
    std::vector<int> issued(objects.size());
    for (std::size_t step = 0, i = 0; step < objects.size(); ++step, i = (i + 977) % objects.size())
        issued[i] = handles.handleOf(objects[i]);
    for (std::size_t i = 0; i < objects.size(); ++i) {
        ASSERT_EQ(handles.objectOf(issued[i]), objects[i]) << i;
        ASSERT_EQ(handles.handleOf(objects[i]), issued[i]) << i;
    }
    EXPECT_EQ(handles.size(), objects.size());
    for (std::size_t i = 0; i < objects.size(); i += 2) handles.forget(objects[i]);
    for (std::size_t i = 0; i < objects.size(); ++i)
        EXPECT_EQ(handles.objectOf(issued[i]), i % 2 ? objects[i] : nullptr) << i;
    EXPECT_EQ(handles.size(), objects.size() / 2);
    const std::size_t pagesBefore = handles.pagesHeld();
    for (std::size_t i = 1; i < objects.size(); i += 2) handles.forget(objects[i]);
    EXPECT_EQ(handles.size(), 0u);
    EXPECT_LT(handles.pagesHeld(), pagesBefore);
    EXPECT_LE(handles.pagesHeld(), 1u) << "only the page handles are issued from";
    // A forgotten object gets a new handle; the others stay unknown.
    EXPECT_EQ(handles.handleOf(objects[5]), static_cast<int>(objects.size()) + 1);
    EXPECT_EQ(handles.objectOf(issued[5]), nullptr);
    handles.forget(objects[5]);
    handles.forget(objects[5]);
    EXPECT_EQ(handles.size(), 0u);
}

TEST(TypedObjectTest, TextAndNullObjectError) {
    const int depth = tempStringCount();
    QXString* text = _qxObjToStr(nullptr);
    EXPECT_EQ(text->view(), "[OBJECT]");
    EXPECT_EQ(tempStringCount(), depth + 1);
    freeTempStrings(1);
    EXPECT_EQ(runtimeErrorOf([] { _qxNullObjEx(); }), "Object does not exist");
}

}  // namespace
