// The portable event layer: ring queues, flushing, the filter chain, the
// storing filter's rules and the hot-key table.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "events/QXEventDriver.h"
#include "events/QXEventQueue.h"
#include "events/QXEventSource.h"
#include "events/QXHotKeys.h"
#include "events/QueFilter.h"

namespace {
QXEvent event(int id, int data = 0, int source = 0) { return QXEvent{id, data, 0, 0, 0, source}; }

std::vector<int> dataOf(QXEventQueue& queue) {
    std::vector<int> data;
    while (!queue.empty()) {
        data.push_back(queue.oldest().data);
        queue.removeOldest();
    }
    return data;
}

std::vector<int> idsOf(QXEventQueue& queue) {
    std::vector<int> ids;
    while (!queue.empty()) {
        ids.push_back(queue.oldest().id);
        queue.removeOldest();
    }
    return ids;
}

class EventState : public testing::Test {
protected:
    void SetUp() override { resetEventState(); }
    void TearDown() override { resetEventState(); }
};
}  // namespace

TEST(EventQueue, HoldsExactly256AndDropsTheNewcomerAcrossCounterWrap) {
    // Counters close to the 32-bit limit: they wrap while the queue fills.
    QXEventQueue queue(0xFFFFFF80u);
    for (int i = 0; i < 257; ++i) EXPECT_EQ(queue.append(event(0x401, i)), i < 256) << i;
    EXPECT_TRUE(queue.full());
    EXPECT_EQ(queue.count(), 256u);
    std::vector<int> data = dataOf(queue);
    ASSERT_EQ(data.size(), 256u);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(data[i], i);
    EXPECT_EQ(queue.getCount(), 0x80u);
}

TEST(EventQueue, FlushByClassMaskIdAndSourceKeepsTheRestInOrder) {
    QXEventQueue queue(250);  // entries straddle the end of the ring
    queue.append(event(EVENT_KEYDOWN, 1, 7));
    queue.append(event(EVENT_MOUSEDOWN, 2, 7));
    queue.append(event(EVENT_MOUSEMOVE, 3, 8));
    queue.append(event(0x401, 4, 8));
    queue.append(event(EVENT_MOUSEMOVE, 5, 7));
    queue.append(event(EVENT_TIMERTICK, 6, 9));
    queue.append(event(EVENT_DEBUGEND, 7, 0));

    QXEventQueue copy = queue;
    EXPECT_EQ(copy.flush(0x200, 0), 3u);  // every mouse event
    EXPECT_EQ(dataOf(copy), (std::vector<int>{1, 4, 6, 7}));

    copy = queue;
    EXPECT_EQ(copy.flush(EVENT_MOUSEMOVE, 0), 2u);  // only moves
    EXPECT_EQ(dataOf(copy), (std::vector<int>{1, 2, 4, 6, 7}));

    copy = queue;
    EXPECT_EQ(copy.flush(-1, 8), 2u);  // everything of one source
    EXPECT_EQ(dataOf(copy), (std::vector<int>{1, 2, 5, 6, 7}));

    copy = queue;
    EXPECT_EQ(copy.flush(0x200, 7), 2u);  // class and source together
    EXPECT_EQ(dataOf(copy), (std::vector<int>{1, 3, 4, 6, 7}));

    copy = queue;
    EXPECT_EQ(copy.flush(-1, 0), 7u);  // the class mask of -1 covers the debugger ids too
    EXPECT_TRUE(copy.empty());

    copy = queue;
    EXPECT_EQ(copy.flush(0x802, 0), 0u);  // an exact id nobody raised
    EXPECT_EQ(copy.count(), 7u);
}

TEST(EventQueue, FlushOfAFullQueueKeepsEveryOtherEntry) {
    QXEventQueue queue(100);
    for (int i = 0; i < 256; ++i) queue.append(event(i % 2 ? EVENT_MOUSEMOVE : EVENT_KEYDOWN, i));
    EXPECT_EQ(queue.flush(0x200, 0), 128u);
    std::vector<int> data = dataOf(queue);
    ASSERT_EQ(data.size(), 128u);
    for (int i = 0; i < 128; ++i) EXPECT_EQ(data[i], 2 * i);
}

namespace {
class RecordingFilter : public QXEventFilter {
public:
    RecordingFilter(const char* tag, int priority, QXEventChain& chain, QXModuleList& list, std::string& trail)
        : QXEventFilter(priority, chain, list), tag_(tag), trail_(trail) {}
    void filter(const QXEvent& e) override {
        trail_ += tag_;
        if (e.id != 0) passOn(e);  // id 0 is dropped here
    }

private:
    const char* tag_;
    std::string& trail_;
};
}  // namespace

TEST(EventChain, OrdersByDescendingPriorityWithNewcomersLastAmongEquals) {
    QXModuleList list;
    QXEventChain chain;
    std::string trail;
    RecordingFilter last("Q", 0, chain, list, trail);
    chain.setHead(&last);
    RecordingFilter a("a", 5, chain, list, trail), b("b", 10, chain, list, trail), c("c", 5, chain, list, trail),
        d("d", -1, chain, list, trail);
    for (RecordingFilter* f : {&a, &b, &c, &d}) ASSERT_TRUE(f->startup());

    chain.post(event(1));
    EXPECT_EQ(trail, "bacQd");
    trail.clear();
    c.shutdown();
    b.shutdown();
    chain.post(event(1));
    EXPECT_EQ(trail, "aQd");
    trail.clear();
    chain.post(event(0));  // dropped by the first filter
    EXPECT_EQ(trail, "a");
}

TEST_F(EventState, MouseMovesCollapseOnlyWhenNewestAndFromTheSameSource) {
    postEvent(EVENT_MOUSEMOVE, 0, 1, 1, 0, 7);
    postEvent(EVENT_MOUSEMOVE, 0, 2, 2, 0, 7);
    EXPECT_EQ(mainQueue().count(), 1u);
    EXPECT_EQ(mainQueue().newest().x, 2);
    postEvent(EVENT_MOUSEMOVE, 0, 3, 3, 0, 8);  // another source in between keeps both
    postEvent(EVENT_MOUSEMOVE, 0, 4, 4, 0, 7);
    postEvent(EVENT_KEYDOWN, 30, 0, 0, 0, 7);
    postEvent(EVENT_MOUSEMOVE, 0, 5, 5, 0, 7);  // not after a move
    std::vector<int> xs;
    while (!mainQueue().empty()) {
        xs.push_back(mainQueue().oldest().x);
        mainQueue().removeOldest();
    }
    EXPECT_EQ(xs, (std::vector<int>{2, 3, 4, 0, 5}));
}

TEST_F(EventState, TimerTicksKeepOneEntryPerSourceWithTheLatestCount) {
    for (int tick = 1; tick <= 10; ++tick) postEvent(EVENT_TIMERTICK, tick, 0, 0, 0, 11);
    for (int tick = 1; tick <= 3; ++tick) postEvent(EVENT_TIMERTICK, tick, 0, 0, 0, 12);
    EXPECT_TRUE(mainQueue().empty());
    EXPECT_EQ(dataOf(tickQueue()), (std::vector<int>{10, 3}));
}

TEST_F(EventState, SuspendAndResumeAreDeduplicatedAndPauseOnlyWithAutoSuspend) {
    QXAppState& state = appState();
    postEvent(EVENT_APPRESUME, 0, 0, 0, 0, 0);  // not suspended: dropped
    postEvent(EVENT_APPSUSPEND, 0, 0, 0, 0, 0);
    postEvent(EVENT_APPSUSPEND, 0, 0, 0, 0, 0);  // repeated: dropped
    EXPECT_TRUE(state.suspended);
    EXPECT_FALSE(state.paused);
    state.autoSuspend = true;  // takes effect at the next transition only
    EXPECT_FALSE(state.paused);
    postEvent(EVENT_APPRESUME, 0, 0, 0, 0, 0);
    postEvent(EVENT_APPSUSPEND, 0, 0, 0, 0, 0);
    EXPECT_TRUE(state.paused);
    postEvent(EVENT_APPRESUME, 0, 0, 0, 0, 0);
    EXPECT_FALSE(state.paused);
    EXPECT_EQ(idsOf(mainQueue()), (std::vector<int>{EVENT_APPSUSPEND, EVENT_APPRESUME, EVENT_APPSUSPEND, EVENT_APPRESUME}));
}

TEST_F(EventState, DebuggerRequestsDriveThePauseAndTheDebugger) {
    QXAppState& state = appState();
    testDebugger().events.clear();
    postEvent(EVENT_DEBUGCONTINUE, 0, 0, 0, 0, 0);  // not stopped: dropped
    postEvent(EVENT_DEBUGSTOP, 0, 0, 0, 0, 0);
    postEvent(EVENT_DEBUGSTOP, 0, 0, 0, 0, 0);
    EXPECT_TRUE(state.paused);
    state.autoSuspend = true;
    postEvent(EVENT_APPSUSPEND, 0, 0, 0, 0, 0);
    postEvent(EVENT_DEBUGCONTINUE, 0, 0, 0, 0, 0);
    EXPECT_TRUE(state.paused) << "still suspended with auto-suspend";
    postEvent(EVENT_APPRESUME, 0, 0, 0, 0, 0);
    EXPECT_FALSE(state.paused);
    EXPECT_EQ(testDebugger().events, (std::vector<std::string>{"stop", "run"}));
    EXPECT_EQ(idsOf(mainQueue()), (std::vector<int>{EVENT_APPSUSPEND, EVENT_APPRESUME}));

    postEvent(EVENT_DEBUGEND, 0, 0, 0, 0, 0);
    EXPECT_TRUE(state.endRequested);
    EXPECT_TRUE(state.paused);
    EXPECT_EQ(idsOf(mainQueue()), (std::vector<int>{EVENT_DEBUGEND}));
}

TEST_F(EventState, AFullMainQueueLosesNewEventsButTicksStillArrive) {
    for (int i = 0; i < 300; ++i) postEvent(0x401, i, 0, 0, 0, 0);
    postEvent(EVENT_MOUSEMOVE, 0, 9, 9, 0, 0);
    postEvent(EVENT_TIMERTICK, 1, 0, 0, 0, 5);
    EXPECT_EQ(mainQueue().count(), 256u);
    EXPECT_EQ(mainQueue().newest().data, 255);
    EXPECT_EQ(tickQueue().count(), 1u);
}

TEST_F(EventState, HotKeysMatchExactlyReplaceAndRefuseThe101stPair) {
    auto hotKeyEvent = command<void(QXCALL*)(int, int, int, int, int, int, int, int)>(
        "HotKeyEvent%rawkey%modifier%ev_id%ev_data=0%ev_x=0%ev_y=0%ev_z=0%ev_source=0");
    ASSERT_NE(hotKeyEvent, nullptr);
    hotKeyEvent(30, kModifierControl, 0x9001, 1, 2, 3, 4, 5);
    hotKeyEvent(30, kModifierControl, 0x9002, 6, 0, 0, 0, 0);  // same pair: replaces
    EXPECT_EQ(hotKeys().count(), 1);
    EXPECT_FALSE(hotKeyLookup(30, kModifierControl | kModifierShift));
    EXPECT_FALSE(hotKeyLookup(30, 0));
    EXPECT_FALSE(hotKeyLookup(31, kModifierControl));
    EXPECT_TRUE(mainQueue().empty());
    EXPECT_TRUE(hotKeyLookup(30, kModifierControl));
    ASSERT_EQ(mainQueue().count(), 1u);
    EXPECT_EQ(mainQueue().oldest().id, 0x9002);
    EXPECT_EQ(mainQueue().oldest().data, 6);

    for (int key = 1; key < 100; ++key) hotKeyEvent(key + 100, 0, 0x9100 + key, 0, 0, 0, 0, 0);
    EXPECT_EQ(hotKeys().count(), 100);
    EXPECT_EQ(runtimeErrorOf([&] { hotKeyEvent(250, 0, 1, 0, 0, 0, 0, 0); }), "Too many hotkey events registered");
    EXPECT_EQ(hotKeys().count(), 100);
    EXPECT_EQ(runtimeErrorOf([&] { hotKeyEvent(30, kModifierControl, 0x9003, 0, 0, 0, 0, 0); }), std::nullopt);
    EXPECT_EQ(hotKeys().find(30, kModifierControl)->id, 0x9003);
    EXPECT_EQ(hotKeys().find(199, 0)->id, 0x9100 + 99);
}

TEST(EventKeys, KeyCodesAndTheModifierSet) {
    EXPECT_EQ(keyCodeOfKeyMessage(0x001E0001), 0x1E);
    EXPECT_EQ(keyCodeOfKeyMessage(0x011D0001), 0x1D + 128);  // extended: right control
    EXPECT_EQ(keyCodeOfKeyMessage(0xC0FF0001), 0x7F);         // bit 23 and the state bits are not part of it
    clearModifierSet();
    updateModifierSet(0x11, true);
    updateModifierSet(0x10, true);
    updateModifierSet(0x41, true);
    EXPECT_EQ(modifierSet(), kModifierShift | kModifierControl);
    updateModifierSet(0x10, false);
    updateModifierSet(0x12, true);
    EXPECT_EQ(modifierSet(), kModifierControl | kModifierAlt);
    clearModifierSet();
}

TEST_F(EventState, SourcesEmitWithTheirHandle) {
    auto* source = new QXEventSource;
    source->emit(0x401, 1, 2, 3, 4);
    ASSERT_EQ(mainQueue().count(), 1u);
    const QXEvent& stored = mainQueue().oldest();
    EXPECT_EQ(stored.id, 0x401);
    EXPECT_EQ(stored.z, 4);
    EXPECT_EQ(stored.source, handleOf(source));
    release(source);
}
