#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/QXStringEntries.h"

namespace {

class StringEntriesTest : public testing::Test {
protected:
    void SetUp() override {
        startModuleNamed("QXString");
        depth_ = tempStringCount();
    }
    void TearDown() override { EXPECT_EQ(tempStringCount(), depth_) << "temporaries left behind"; }

private:
    int depth_ = 0;
};

std::string textOf(const QXString* s) { return std::string(s->view()); }

QXString* sharedEmpty() { return sharedStrings().empty; }

// Literal records as the compiler lays them out.
template <std::size_t N> struct Literal {
    QXString* slot = nullptr;
    char text[N];
};
template <std::size_t N> Literal<N> literal(const char (&text)[N]) {
    Literal<N> record;
    std::memcpy(record.text, text, N);
    return record;
}
template <class L> QXConstStringRecord* recordOf(L& l) { return reinterpret_cast<QXConstStringRecord*>(&l); }

}  // namespace

TEST_F(StringEntriesTest, EveryEntryPointIsInTheCoreGroupWithItsCType) {
    struct Expected {
        const char* name;
        void* address;
        const char* types;
    };
    // The registry holds each entry point's guard (QXRegistry.h).
    const Expected expected[] = {
        {"_qxInitCStrs", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxInitCStrs>::call), "vp"},
        {"_qxStrTmp", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrTmp>::call), "ss"},
        {"_qxStrTmpFree", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrTmpFree>::call), "vi"},
        {"_qxIStrTmpFree", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxIStrTmpFree>::call), "iii"},
        {"_qxFStrTmpFree", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxFStrTmpFree>::call), "ffi"},
        {"_qxStrRetain", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrRetain>::call), "ss"},
        {"_qxStrRelease", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrRelease>::call), "ss"},
        {"_qxStrLoad", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrLoad>::call), "sp"},
        {"_qxStrStore", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrStore>::call), "sps"},
        {"_qxStrConcat", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrConcat>::call), "sss"},
        {"_qxStrCompare", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrCompare>::call), "iss"},
        {"_qxStrToInt", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrToInt>::call), "is"},
        {"_qxStrFromInt", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrFromInt>::call), "si"},
        {"_qxStrToFloat", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrToFloat>::call), "fs"},
        {"_qxStrFromFloat", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrFromFloat>::call), "sf"},
        {"_qxStrToCStr", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrToCStr>::call), "ps"},
        {"_qxStrFromCStr", reinterpret_cast<void*>(&qxdetail::Guarded<&_qxStrFromCStr>::call), "sp"},
    };
    for (const Expected& e : expected) {
        const QXSymbol* found = nullptr;
        for (const QXSymbolTable* table = QXSymbolTable::first(); table; table = table->next())
            for (const QXSymbol& symbol : *table)
                if (std::strcmp(symbol.signature, e.name) == 0 && table->group() == QXLinkGroup::Core) found = &symbol;
        ASSERT_NE(found, nullptr) << e.name;
        EXPECT_EQ(found->address, e.address) << e.name;
        EXPECT_STREQ(found->types, e.types) << e.name;
    }
}

TEST_F(StringEntriesTest, InitCStrsFillsEverySlotAndSharesOneEmptyReference) {
    auto hello = literal("hello");
    auto empty1 = literal("");
    auto empty2 = literal("");
    QXConstStringRecord* records[] = {recordOf(hello), recordOf(empty1), recordOf(empty2), nullptr};
    const int emptyCount = sharedEmpty()->refCount;
    _qxInitCStrs(records);
    EXPECT_EQ(textOf(hello.slot), "hello");
    EXPECT_EQ(hello.slot->refCount, 1);
    EXPECT_EQ(empty1.slot, sharedEmpty());
    EXPECT_EQ(empty2.slot, sharedEmpty());
    EXPECT_EQ(sharedEmpty()->refCount, emptyCount + 1);
    EXPECT_EQ(tempStringCount(), 0);
    EXPECT_EQ(tempStringCapacity(), 0);
    release(hello.slot);
    release(sharedEmpty());
}

TEST_F(StringEntriesTest, InitCStrsReleasesWhatAnEarlierProgramLeftOnTheStack) {
    QXString* leftover = newString("leftover");
    retain(leftover);
    _qxStrTmp(leftover);
    QXConstStringRecord* none[] = {nullptr};
    _qxInitCStrs(none);
    EXPECT_EQ(leftover->refCount, 1);
    release(leftover);
    release(sharedEmpty());
}

TEST_F(StringEntriesTest, TemporaryStackGrowsBy1024AndFreesInOrder) {
    const int before = tempStringCount();
    const int liveBefore = liveObjectCount();
    std::vector<QXString*> pushed;
    for (int i = 0; i < 1025; ++i) pushed.push_back(_qxStrFromInt(i));
    EXPECT_EQ(tempStringCount(), before + 1025);
    EXPECT_EQ(tempStringCapacity() % 1024, 0);
    EXPECT_GE(tempStringCapacity(), before + 1025);
    for (int i = 0; i < 1025; ++i) ASSERT_EQ(textOf(pushed[i]), std::to_string(i));
    EXPECT_EQ(liveObjectCount(), liveBefore + 1025);
    _qxStrTmpFree(1025);
    EXPECT_EQ(liveObjectCount(), liveBefore);
}

TEST_F(StringEntriesTest, FreshStackGrowsOnceTo2048For1025Temporaries) {
    QXConstStringRecord* none[] = {nullptr};
    _qxInitCStrs(none);
    release(sharedEmpty());
    for (int i = 0; i < 1025; ++i) _qxStrTmp(charString(i));
    EXPECT_EQ(tempStringCapacity(), 2048);
    EXPECT_EQ(tempStringCount(), 1025);
    _qxStrTmpFree(1025);
    EXPECT_EQ(tempStringCapacity(), 2048);  // never shrinks
}

TEST_F(StringEntriesTest, FreeingMoreThanTheStackHoldsIsAnError) {
    const int depth = tempStringCount();
    _qxStrTmp(newString("one"));
    EXPECT_EQ(runtimeErrorOf([&] { _qxStrTmpFree(depth + 2); }), "Illegal TmpStr index");
    EXPECT_EQ(tempStringCount(), 0);
    for (int i = 0; i < depth; ++i) _qxStrTmp(emptyString());  // restore the depth SetUp saw
}

TEST_F(StringEntriesTest, TmpFreeVariantsPassTheirValueThrough) {
    _qxStrTmp(newString("a"));
    _qxStrTmp(newString("b"));
    EXPECT_EQ(_qxIStrTmpFree(-123456789, 1), -123456789);
    EXPECT_EQ(_qxFStrTmpFree(1.1f, 1), 1.1f);
    EXPECT_EQ(_qxFStrTmpFree(FLT_MAX, 0), FLT_MAX);
    EXPECT_EQ(_qxIStrTmpFree(5, -1), 5);  // nothing to free for a count of 0 or less
}

TEST_F(StringEntriesTest, LoadStoreRetainRelease) {
    QXString* slot = nullptr;
    EXPECT_EQ(_qxStrLoad(&slot), sharedEmpty());
    auto emptyLiteral = literal("");
    QXConstStringRecord* records[] = {recordOf(emptyLiteral), nullptr};
    _qxInitCStrs(records);
    EXPECT_EQ(_qxStrCompare(_qxStrLoad(&slot), emptyLiteral.slot), 0);

    QXString* s = newString("kept");
    EXPECT_EQ(_qxStrStore(&slot, s), s);
    EXPECT_EQ(s->refCount, 2);
    release(s);
    EXPECT_EQ(_qxStrLoad(&slot), s);
    EXPECT_EQ(s->refCount, 1);  // loading adds no reference

    EXPECT_EQ(_qxStrStore(&slot, slot), s);  // its own string: stays alive
    EXPECT_EQ(s->refCount, 1);
    EXPECT_TRUE(isLiveObject(s));

    EXPECT_EQ(_qxStrRetain(s), s);
    EXPECT_EQ(s->refCount, 2);
    EXPECT_EQ(_qxStrRelease(s), s);
    EXPECT_EQ(_qxStrRelease(nullptr), nullptr);

    EXPECT_EQ(_qxStrStore(&slot, nullptr), nullptr);
    EXPECT_FALSE(isLiveObject(s));
    EXPECT_EQ(slot, nullptr);
    release(sharedEmpty());
}

TEST_F(StringEntriesTest, ConcatCompareAndConversionsPushTheirResults) {
    const int depth = tempStringCount();
    QXString* a = _qxStrFromCStr("abc");
    QXString* b = _qxStrFromInt(-42);
    QXString* joined = _qxStrConcat(a, b);
    EXPECT_EQ(textOf(joined), "abc-42");
    EXPECT_EQ(_qxStrConcat(_qxStrFromCStr(""), _qxStrFromCStr("")), sharedEmpty());
    EXPECT_EQ(textOf(_qxStrFromFloat(0.000015f)), "1.5e-005");
    EXPECT_EQ(_qxStrFromFloat(-HUGE_VALF), sharedStrings().negativeInfinity);
    EXPECT_STREQ(_qxStrToCStr(joined), "abc-42");
    EXPECT_EQ(_qxStrToInt(b), -42);
    EXPECT_EQ(_qxStrToFloat(_qxStrFromCStr(" 2.5e1z")), 25.0f);
    EXPECT_LT(_qxStrCompare(a, joined), 0);
    EXPECT_EQ(a->refCount, 1);  // arguments are not released
    EXPECT_EQ(tempStringCount() - depth, 9);
    _qxStrTmpFree(tempStringCount() - depth);
}
