// Polled keyboard and mouse state: events posted into the process's filter
// chain the way window procedures post them, read back through the
// registered commands, against a scripted driver that raises input when the
// runtime waits.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

#include "TestSupport.h"
#include "events/Q2DEventFilter.h"
#include "events/QXEventDriver.h"
#include "events/QXEventQueue.h"
#include "events/QueFilter.h"

namespace {

class ScriptedDriver : public QXEventDriver {
public:
    ScriptedDriver() : QXEventDriver(modules_) { setEventDriver(this); }
    ~ScriptedDriver() { setEventDriver(nullptr); }

    void wait(int timeoutMs) override {
        waits.push_back(timeoutMs);
        if (!script.empty()) {
            auto step = std::move(script.front());
            script.pop_front();
            step();
        } else if (timeoutMs < 0) {
            ADD_FAILURE() << "waited without limit after the script ended";
            postEvent(EVENT_KEYCHAR, -1, 0, 0, 0, 0);  // ends a key wait
            postEvent(EVENT_MOUSEDOWN, 3, 0, 0, 0, 0);  // ends a button wait
        }
    }

    std::deque<std::function<void()>> script;
    std::vector<int> waits;

private:
    QXModuleList modules_;
};

constexpr int kWindow = 0x1234;

void post(int id, int data = 0) { postEvent(id, data, 0, 0, 0, kWindow); }
void press(int key) {
    post(EVENT_KEYDOWN, key);
    post(EVENT_KEYUP, key);
}

using IntOfInt = int(QXCALL*)(int);
using IntOfNone = int(QXCALL*)();
using VoidOfNone = void(QXCALL*)();

struct InputCommands {
    IntOfInt keyDown = command<IntOfInt>("%KeyDown%keycode");
    IntOfInt keyHit = command<IntOfInt>("%KeyHit%keycode");
    IntOfNone getKey = command<IntOfNone>("%GetKey");
    IntOfNone waitKey = command<IntOfNone>("%WaitKey");
    IntOfNone keyWait = command<IntOfNone>("%KeyWait");
    VoidOfNone flushKeys = command<VoidOfNone>("FlushKeys");
    IntOfNone mouseZ = command<IntOfNone>("%MouseZ");
    IntOfNone mouseZSpeed = command<IntOfNone>("%MouseZSpeed");
    IntOfInt mouseDown = command<IntOfInt>("%MouseDown%button");
    IntOfInt mouseHit = command<IntOfInt>("%MouseHit%button");
    IntOfNone getMouse = command<IntOfNone>("%GetMouse");
    IntOfNone waitMouse = command<IntOfNone>("%WaitMouse");
    IntOfNone mouseWait = command<IntOfNone>("%MouseWait");
    VoidOfNone flushMouse = command<VoidOfNone>("FlushMouse");
    IntOfInt waitEvent = command<IntOfInt>("%WaitEvent%timeout=-1");
    IntOfNone eventData = command<IntOfNone>("%EventData");
};

class InputState : public testing::Test {
protected:
    void SetUp() override {
        resetEventState();
        ASSERT_TRUE(startModule(&theQ2DEventFilter));
    }
    void TearDown() override {
        stopModule(&theQ2DEventFilter);
        resetEventState();
    }

    // The ids left in the main queue, oldest first (taken).
    std::vector<int> drainQueue() {
        std::vector<int> ids;
        while (int id = cmd.waitEvent(0)) ids.push_back(id);
        return ids;
    }

    InputCommands cmd;
    ScriptedDriver driver;
};

}  // namespace

TEST_F(InputState, TheFilterStandsBeforeTheQueueAndPassesEveryEventOn) {
    EXPECT_EQ(theQ2DEventFilter.priority, 1);
    EXPECT_EQ(theQ2DEventFilter.successor, &theQueFilter);
    const std::vector<int> ids = {EVENT_KEYDOWN, EVENT_KEYCHAR, EVENT_KEYUP,       EVENT_MOUSEDOWN,
                                  EVENT_MOUSEUP, EVENT_MOUSEWHEEL, EVENT_MOUSEMOVE, 0x401,
                                  0x801,         EVENT_MENUACTION};
    for (int id : ids) post(id, 1);
    EXPECT_EQ(drainQueue(), ids);
    stopModule(&theQ2DEventFilter);
    post(EVENT_KEYDOWN, 5);
    EXPECT_EQ(cmd.keyHit(5), 0) << "a stopped filter sees nothing";
    ASSERT_TRUE(startModule(&theQ2DEventFilter));
}

TEST_F(InputState, KeysCountPressesUntilReadAndTrackHeldKeys) {
    press(30);
    press(30);
    EXPECT_EQ(cmd.keyDown(30), 0);
    EXPECT_EQ(cmd.keyHit(30), 2);
    EXPECT_EQ(cmd.keyHit(30), 0);

    // Held with auto-repeat: one key-down, a character each repeat.
    post(EVENT_KEYDOWN, 30);
    for (int repeat = 0; repeat < 3; ++repeat) post(EVENT_KEYCHAR, 'a');
    EXPECT_EQ(cmd.keyDown(30), 1);
    EXPECT_EQ(cmd.keyHit(30), 1);
    EXPECT_EQ(cmd.keyDown(30), 1);
    for (int repeat = 0; repeat < 3; ++repeat) EXPECT_EQ(cmd.getKey(), 'a');
    EXPECT_EQ(cmd.getKey(), 0);
    post(EVENT_KEYUP, 30);
    EXPECT_EQ(cmd.keyDown(30), 0);

    // Extended keys (code + 128) are keys of their own.
    post(EVENT_KEYDOWN, 200);
    EXPECT_EQ(cmd.keyDown(200), 1);
    EXPECT_EQ(cmd.keyDown(72), 0);
}

TEST_F(InputState, KeyCodesAreMaskedTo8BitsAndButtonsTo2) {
    post(EVENT_KEYDOWN, 0);
    post(EVENT_KEYDOWN, 256 + 30);  // the event's code is masked too
    post(EVENT_MOUSEDOWN, 1);
    const struct {
        int asked, reads;
    } keys[] = {{256, 0}, {512, 0}, {-256, 0}, {30, 30}, {-226, 30}, {0x7FFFFF1E, 30}};
    for (const auto& k : keys) EXPECT_EQ(cmd.keyDown(k.asked), 1) << k.asked << " reads key " << k.reads;
    EXPECT_EQ(cmd.keyDown(31), 0);
    EXPECT_EQ(cmd.mouseDown(5), 1);   // button 1
    EXPECT_EQ(cmd.mouseDown(-3), 1);  // ...1 binary 01
    EXPECT_EQ(cmd.mouseDown(2), 0);
    EXPECT_EQ(cmd.keyHit(256 + 30), 1);
    EXPECT_EQ(cmd.keyHit(30), 0);
    EXPECT_EQ(cmd.mouseHit(4 + 1), 1);
    EXPECT_EQ(cmd.mouseHit(1), 0);
    post(EVENT_MOUSEDOWN, 7);  // button 3
    EXPECT_EQ(cmd.mouseDown(3), 1);
    EXPECT_EQ(cmd.getMouse(), 1);
    EXPECT_EQ(cmd.getMouse(), 7) << "the queue keeps the event's own value";
}

TEST_F(InputState, RingsOf32KeepTheFirstInOrderAndDropTheSurplus) {
    for (int round = 0; round < 3; ++round) {  // the counters run on past one ring
        for (int i = 0; i < 40; ++i) {
            post(EVENT_KEYCHAR, 0x41 + i);
            post(EVENT_MOUSEDOWN, 1 + i % 3);
        }
        for (int i = 0; i < 32; ++i) {
            EXPECT_EQ(cmd.getKey(), 0x41 + i);
            EXPECT_EQ(cmd.getMouse(), 1 + i % 3);
        }
        EXPECT_EQ(cmd.getKey(), 0);
        EXPECT_EQ(cmd.getMouse(), 0);
        post(EVENT_KEYCHAR, 0xF700);  // up arrow's private character
        EXPECT_EQ(cmd.getKey(), 0xF700);
    }
    EXPECT_EQ(cmd.mouseHit(1), 3 * 14);
    EXPECT_EQ(cmd.mouseHit(2), 3 * 13);
    EXPECT_EQ(cmd.mouseHit(3), 3 * 13);
}

TEST_F(InputState, ButtonsAndTheWheel) {
    post(EVENT_MOUSEDOWN, 2);
    EXPECT_EQ(cmd.mouseDown(2), 1);
    post(EVENT_MOUSEUP, 2);
    EXPECT_EQ(cmd.mouseDown(2), 0);
    EXPECT_EQ(cmd.mouseHit(2), 1);
    EXPECT_EQ(cmd.mouseHit(2), 0);

    post(EVENT_MOUSEWHEEL, 1);
    post(EVENT_MOUSEWHEEL, 1);
    post(EVENT_MOUSEWHEEL, -1);
    EXPECT_EQ(cmd.mouseZ(), 1);
    EXPECT_EQ(cmd.mouseZSpeed(), 1);
    EXPECT_EQ(cmd.mouseZSpeed(), 0);
    post(EVENT_MOUSEWHEEL, -3);
    EXPECT_EQ(cmd.mouseZ(), -2);
    EXPECT_EQ(cmd.mouseZSpeed(), -3);
}

TEST_F(InputState, FlushesClearTheirOwnStateOnly) {
    post(EVENT_KEYDOWN, 30);
    post(EVENT_KEYCHAR, 'x');
    post(EVENT_MOUSEDOWN, 1);
    post(EVENT_MOUSEWHEEL, 4);
    cmd.flushKeys();
    EXPECT_EQ(cmd.keyDown(30), 0);
    EXPECT_EQ(cmd.keyHit(30), 0);
    EXPECT_EQ(cmd.getKey(), 0);
    EXPECT_EQ(cmd.mouseDown(1), 1);

    cmd.flushMouse();
    EXPECT_EQ(cmd.mouseDown(1), 0);
    EXPECT_EQ(cmd.mouseHit(1), 0);
    EXPECT_EQ(cmd.getMouse(), 0);
    EXPECT_EQ(cmd.mouseZ(), 4) << "the wheel stays";
    EXPECT_EQ(cmd.mouseZSpeed(), 4);

    // The flushed rings work on from empty.
    post(EVENT_KEYCHAR, 'y');
    EXPECT_EQ(cmd.getKey(), 'y');
    // Every command let the pump run once without waiting.
    for (int wait : driver.waits) EXPECT_EQ(wait, 0);
    EXPECT_GE(driver.waits.size(), 10u);
}

TEST_F(InputState, WaitKeyDiscardsTheEventsItWaitsThrough) {
    post(0x401, 1);
    post(EVENT_MOUSEMOVE);
    driver.script = {[] {}, [] {
                         post(EVENT_KEYDOWN, 30);
                         post(EVENT_KEYCHAR, 'a');
                     }};
    EXPECT_EQ(cmd.waitKey(), 'a');
    EXPECT_EQ(driver.waits, (std::vector<int>{0, -1}));
    // The gadget event, the move and the key-down went; the character's event stays.
    EXPECT_EQ(drainQueue(), std::vector<int>{EVENT_KEYCHAR});

    // A character already there is returned at once, nothing taken.
    post(EVENT_KEYCHAR, 'b');
    post(0x402);
    EXPECT_EQ(cmd.keyWait(), 'b');
    EXPECT_EQ(drainQueue(), (std::vector<int>{EVENT_KEYCHAR, 0x402}));
}

TEST_F(InputState, WaitMouseDiscardsTheEventsItWaitsThrough) {
    post(EVENT_KEYDOWN, 30);
    driver.script = {[] {}, [] { post(EVENT_MOUSEWHEEL, 1); }, [] { postEvent(EVENT_MOUSEDOWN, 2, 5, 6, 0, kWindow); }};
    EXPECT_EQ(cmd.waitMouse(), 2);
    EXPECT_TRUE(drainQueue().empty()) << "the button's own event was the last one taken";
    EXPECT_EQ(cmd.mouseZ(), 1);
    post(EVENT_MOUSEDOWN, 3);
    EXPECT_EQ(cmd.mouseWait(), 3);
    EXPECT_EQ(cmd.mouseDown(3), 1);
}

TEST_F(InputState, ANewProgramStartsWithNoInputState) {
    post(EVENT_KEYDOWN, 30);
    post(EVENT_KEYCHAR, 'q');
    post(EVENT_MOUSEDOWN, 1);
    post(EVENT_MOUSEWHEEL, 2);
    resetEventState();
    EXPECT_EQ(cmd.keyDown(30), 0);
    EXPECT_EQ(cmd.getKey(), 0);
    EXPECT_EQ(cmd.mouseHit(1), 0);
    EXPECT_EQ(cmd.mouseZ(), 0);
    EXPECT_EQ(cmd.mouseZSpeed(), 0);
}
