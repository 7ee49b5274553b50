#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "runtime/QXObject.h"
#include "runtime/QXRegistry.h"

namespace objecttest {


int activeObjects() { return command<int(QXCALL*)()>("%ActiveObjects")(); }

struct Shape : QXObject {};
struct Circle : Shape {};
struct Unrelated : QXObject {};

// A resource that records its destruction and answers one query.
struct Probe : QXResource {
    Probe(std::string name, std::vector<std::string>& log, int askedId = 0, int answer = 0)
        : name(std::move(name)), log(log), askedId(askedId), answer(answer) {}
    ~Probe() override { log.push_back(name); }
    int query(int id) override { return id == askedId ? answer : 0; }
    std::string name;
    std::vector<std::string>& log;
    int askedId, answer;
};

struct ReportedThing : QXObject {};
struct AClassWhoseNameRunsWellPastFortyCharacters : QXObject {};

TEST(Object, LiveCountFollowsCreationAndRelease) {
    int before = activeObjects();
    auto* a = new Shape;
    auto* b = new Circle;
    EXPECT_EQ(activeObjects(), before + 2);
    EXPECT_EQ(a->refCount, 1);
    retain(a);
    release(a);
    EXPECT_EQ(activeObjects(), before + 2) << "a retained object survives one release";
    release(a);
    release(b);
    release(nullptr);
    EXPECT_EQ(activeObjects(), before);
    EXPECT_EQ(liveObjectCount(), before);
}

template <std::size_t Bytes> struct Sized : QXObject {
    unsigned char payload[Bytes];
    Sized() { std::memset(payload, static_cast<int>(Bytes & 0xFF), Bytes); }
    bool intact() const {
        for (unsigned char b : payload)
            if (b != static_cast<unsigned char>(Bytes & 0xFF)) return false;
        return true;
    }
};

TEST(Object, ObjectsOfEverySizeComeAndGoAndTheirMemoryIsReused) {
    // Small objects are recycled through the block heap's free lists, large
    // ones come from the C heap; either way they are live, intact and aligned,
    // and a million made and freed leave the count where it was.
    const int before = activeObjects();
    for (int round = 0; round < 3; ++round) {
        std::vector<QXObject*> made;
        std::vector<std::function<bool()>> checks;
        for (int i = 0; i < 2000; ++i) {
            auto* a = new Sized<1>;
            auto* b = new Sized<100>;
            auto* c = new (std::nothrow) Sized<497>;
            auto* d = new Sized<4000>;
            ASSERT_TRUE(c);
            for (QXObject* o : {static_cast<QXObject*>(a), static_cast<QXObject*>(b), static_cast<QXObject*>(c),
                                static_cast<QXObject*>(d)}) {
                ASSERT_EQ(reinterpret_cast<std::uintptr_t>(o) % 8, 0u);
                ASSERT_TRUE(isLiveObject(o));
                made.push_back(o);
            }
            if (i % 100 == 0) checks.push_back([=] { return a->intact() && b->intact() && c->intact() && d->intact(); });
        }
        EXPECT_EQ(activeObjects(), before + 8000);
        for (auto& intact : checks) EXPECT_TRUE(intact());
        for (QXObject* o : made) release(o);
        EXPECT_EQ(activeObjects(), before);
    }
    for (int i = 0; i < 1000000; ++i) release(new Shape);
    EXPECT_EQ(activeObjects(), before);
}

TEST(Object, HandleChecksAcceptDerivedAndRejectEverythingElse) {
    auto* circle = new Circle;
    auto* unrelated = new Unrelated;
    int circleHandle = handleOf(circle);

    Shape* seen = nullptr;
    EXPECT_EQ(runtimeErrorOf([&] { seen = checkHandle<Shape>(circleHandle, "Shape"); }), std::nullopt);
    EXPECT_EQ(seen, circle);
    EXPECT_EQ(runtimeErrorOf([&] { checkHandle<Circle>(handleOf(unrelated), "Circle"); }), "Invalid Circle handle");
    auto* shape = new Shape;
    EXPECT_EQ(runtimeErrorOf([&] { checkHandle<Circle>(handleOf(shape), "Circle"); }), "Invalid Circle handle")
        << "a base-class object is not a derived one";
    release(shape);

    // None of these may be read: they are not live objects.
    int onStack = 0;
    const std::vector<std::uintptr_t> garbage = {
        0, 1, 4, 0xFFFFFFFFu, 0xDEADBEECu, 0x80000000u, reinterpret_cast<std::uintptr_t>(&onStack),
        reinterpret_cast<std::uintptr_t>(circle) + 4};
    for (std::uintptr_t value : garbage)
        EXPECT_EQ(runtimeErrorOf([&] { checkHandle<Shape>(value, "Stream"); }), "Invalid Stream handle") << value;
    EXPECT_FALSE(isLiveObject(nullptr));

    release(circle);
    EXPECT_FALSE(isLiveObject(reinterpret_cast<void*>(static_cast<std::uintptr_t>(circleHandle))));
    EXPECT_EQ(runtimeErrorOf([circleHandle] { checkHandle<Shape>(circleHandle, "Window Gadget"); }),
              "Invalid Window Gadget handle");
    release(unrelated);
}

TEST(Resource, DestroyReleasesOwnedOldestFirstAndOnlyOnce) {
    std::vector<std::string> log;
    auto* owner = new Probe("owner", log);
    auto* first = new Probe("first", log);
    auto* freedEarly = new Probe("freedEarly", log);
    auto* shared = new Probe("shared", log);
    auto* grandchild = new Probe("grandchild", log);
    auto* last = new Probe("last", log);
    owner->addOwned(first);
    first->addOwned(grandchild);
    owner->addOwned(freedEarly);
    owner->addOwned(shared);
    owner->addOwned(last);
    owner->addOwned(nullptr);

    release(freedEarly);  // the program frees it: it leaves its owner's list
    retain(shared);       // someone else still holds it
    int before = liveObjectCount();
    release(owner);

    EXPECT_EQ(log, (std::vector<std::string>{"freedEarly", "grandchild", "first", "last", "owner"}));
    EXPECT_EQ(liveObjectCount(), before - 4);
    ASSERT_TRUE(isLiveObject(shared));
    EXPECT_EQ(shared->refCount, 1) << "the owner's reference is gone, the other one stays";
    release(shared);
    EXPECT_EQ(log.back(), "shared");
}

TEST(Resource, SharedOwnershipAndExplicitFreeUnhookFromEveryOwner) {
    std::vector<std::string> log;
    auto* ownerA = new Probe("A", log);
    auto* ownerB = new Probe("B", log);
    auto* child = new Probe("child", log);
    ownerA->addOwned(child);
    ownerB->addOwned(child);
    retain(child);  // one reference per owner that will release it

    release(ownerA);
    EXPECT_EQ(child->refCount, 1);
    release(child);  // freed by the program: ownerB must forget it
    release(ownerB);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "child", "B"}));

    // An owned resource freed first, then its owner: the owner's lists stay sound.
    auto* parent = new Probe("parent", log);
    auto* kid = new Probe("kid", log);
    kid->addOwned(new Probe("grandkid", log));
    parent->addOwned(kid);
    release(kid);
    release(parent);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "child", "B", "grandkid", "kid", "parent"}));
}

TEST(Resource, FindOwnedAsksInAttachOrder) {
    std::vector<std::string> log;
    const int bufferId = queryId("Q2DBuffer");
    auto* canvas = new Probe("canvas", log);
    EXPECT_EQ(canvas->findOwned(bufferId), 0) << "owns nothing";
    canvas->addOwned(new Probe("silent", log));
    canvas->addOwned(new Probe("otherKind", log, bufferId + 1, 5));
    EXPECT_EQ(canvas->findOwned(bufferId), 0) << "nobody answers";
    canvas->addOwned(new Probe("older", log, bufferId, 111));
    canvas->addOwned(new Probe("newer", log, bufferId, 222));
    EXPECT_EQ(canvas->findOwned(bufferId), 111);
    EXPECT_EQ(canvas->findOwned(bufferId + 1), 5);

    // QueryObject asks the object itself.
    auto queryObject = command<int(QXCALL*)(int, int)>("%QueryObject%object%query_id");
    auto* answering = new Probe("answering", log, 77, 9);
    EXPECT_EQ(queryObject(handleOf(answering), 77), 9);
    EXPECT_EQ(queryObject(handleOf(answering), 78), 0);
    EXPECT_EQ(queryObject(handleOf(canvas), bufferId), 0) << "the canvas itself does not answer";
    EXPECT_EQ(runtimeErrorOf([&] { queryObject(0, 77); }), "Invalid Object handle");
    release(answering);
    release(canvas);
}

TEST(QueryIds, RuntimeNamesComeFirstAndTheTableFillsUp) {
    EXPECT_EQ(queryId("Q2DBuffer"), 10001);
    EXPECT_EQ(queryId("GLFont"), 10002);
    EXPECT_EQ(queryId("GLFont"), 10002);
    EXPECT_EQ(queryId("QXGLContext"), 10003);
    int fresh = queryId("ObjectTest.Fresh");
    EXPECT_GT(fresh, 10003);
    EXPECT_EQ(queryId("ObjectTest.Fresh"), fresh);

    QXQueryIds table;
    EXPECT_EQ(table.idOf("QXGLContext"), 10003);
    EXPECT_EQ(table.idOf("glfont"), 10004) << "names are case-sensitive";
    std::vector<std::string> names;  // the table keeps the texts, so they must outlive it
    for (int i = 0; i < QXQueryIds::kCapacity - 4; ++i) names.push_back("name" + std::to_string(i));
    int lastId = 0;
    for (const std::string& name : names) lastId = table.idOf(name.c_str());
    EXPECT_EQ(lastId, 10000 + QXQueryIds::kCapacity);
    EXPECT_EQ(runtimeErrorOf([&] { table.idOf("one too many"); }), "Out of QIDS!");
    EXPECT_EQ(table.idOf("name7"), 10012) << "known names are still found when full";
    EXPECT_EQ(table.idOf("Q2DBuffer"), 10001);
}

TEST(ObjectReport, FixedLayoutWithTotalEqualToActiveObjects) {
    std::vector<QXObject*> objects = {new ReportedThing, new ReportedThing, new ReportedThing,
                                      new AClassWhoseNameRunsWellPastFortyCharacters,
                                      new AClassWhoseNameRunsWellPastFortyCharacters};
    testDebugger().log.clear();
    command<void(QXCALL*)()>("DebugObjects")();
    const std::vector<std::string> lines = testDebugger().log;
    const int active = activeObjects();
    for (QXObject* object : objects) release(object);

    ASSERT_GE(lines.size(), 8u);
    const std::string stars(52, '*'), dashes = "* ------------------------------------------------ *";
    EXPECT_EQ(lines[0], stars);
    EXPECT_EQ(lines[1], "* Object type                             Count    *");
    EXPECT_EQ(lines[2], dashes);
    EXPECT_EQ(lines[lines.size() - 3], dashes);
    EXPECT_EQ(lines.back(), stars);

    int sum = 0;
    bool sawShort = false, sawLong = false;
    for (std::size_t i = 3; i + 3 < lines.size(); ++i) {
        const std::string& line = lines[i];
        ASSERT_EQ(line.size(), 52u) << line;
        EXPECT_TRUE(line.front() == '*' && line.back() == '*' && line[1] == ' ') << line;
        EXPECT_EQ(line.compare(2, 6, "class "), 0) << line;
        sum += std::atoi(line.c_str() + 42);
        if (line == "* class objecttest::ReportedThing         3        *") sawShort = true;
        if (line == "* class objecttest::AClassWhoseNameRunsWel2        *") sawLong = true;
    }
    EXPECT_TRUE(sawShort);
    EXPECT_TRUE(sawLong) << "a long name is cut at the count column";

    const std::string& total = lines[lines.size() - 2];
    ASSERT_EQ(total.size(), 52u);
    EXPECT_EQ(total.compare(0, 42, "* Total Objects                           "), 0) << total;
    EXPECT_EQ(total.back(), '*');
    EXPECT_EQ(std::atoi(total.c_str() + 42), sum);
    EXPECT_EQ(sum, active);
}

}  // namespace objecttest
