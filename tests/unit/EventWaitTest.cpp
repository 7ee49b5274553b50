// Taking events, the pause and the event commands, against a scripted driver
// that raises events when the runtime waits.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

#include "TestSupport.h"
#include "events/QXEventDriver.h"
#include "events/QXEventQueue.h"
#include "events/QueFilter.h"

namespace {
// Each wait runs the next step of the script; a wait without limit after the
// script has run out is a test failure (it would block for ever).
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
            postEvent(0x7FFF, 0, 0, 0, 0, 0);
        }
    }

    std::deque<std::function<void()>> script;
    std::vector<int> waits;

private:
    QXModuleList modules_;
};

void post(int id, int data = 0) { postEvent(id, data, 0, 0, 0, 0); }

struct EventCommands {
    int(QXCALL* waitEvent)(int) = command<int(QXCALL*)(int)>("%WaitEvent%timeout=-1");
    int(QXCALL* peekEvent)() = command<int(QXCALL*)()>("%PeekEvent");
    int(QXCALL* eventId)() = command<int(QXCALL*)()>("%EventID");
    int(QXCALL* eventData)() = command<int(QXCALL*)()>("%EventData");
    int(QXCALL* eventSource)() = command<int(QXCALL*)()>("%EventSource");
    void(QXCALL* flushEvents)(int, int) = command<void(QXCALL*)(int, int)>("FlushEvents%kind=-1%source=0");
    void(QXCALL* autoSuspend)(int) = command<void(QXCALL*)(int)>("AutoSuspend%enable");
};

class EventWait : public testing::Test {
protected:
    void SetUp() override {
        resetEventState();
        for (auto* fn : {reinterpret_cast<void*>(cmd.waitEvent), reinterpret_cast<void*>(cmd.peekEvent),
                         reinterpret_cast<void*>(cmd.eventId), reinterpret_cast<void*>(cmd.eventData),
                         reinterpret_cast<void*>(cmd.eventSource), reinterpret_cast<void*>(cmd.flushEvents),
                         reinterpret_cast<void*>(cmd.autoSuspend)})
            ASSERT_NE(fn, nullptr);
    }
    void TearDown() override { resetEventState(); }

    EventCommands cmd;
    ScriptedDriver driver;
};
}  // namespace

TEST_F(EventWait, PollingWithNothingQueuedPumpsOnceAndClearsTheCurrentEvent) {
    post(0x401, 5);
    EXPECT_EQ(cmd.waitEvent(0), 0x401);
    EXPECT_EQ(cmd.eventData(), 5);
    EXPECT_EQ(cmd.waitEvent(0), 0);
    EXPECT_EQ(cmd.eventId(), 0);
    EXPECT_EQ(cmd.eventData(), 0);
    EXPECT_EQ(driver.waits, (std::vector<int>{0}));
}

TEST_F(EventWait, WaitingWithoutLimitReturnsOnlyOnceAnEventIsStored) {
    driver.script = {[] {}, [] { post(EVENT_DEBUGSTOP); post(EVENT_DEBUGCONTINUE); }, [] { postEvent(0x401, 9, 0, 0, 0, 77); }};
    EXPECT_EQ(cmd.waitEvent(-1), 0x401);
    EXPECT_EQ(cmd.eventSource(), 77);
    EXPECT_EQ(driver.waits, (std::vector<int>{-1, -1, -1}));
}

TEST_F(EventWait, TicksComeOnlyWhenNoOtherEventWaits) {
    post(EVENT_TIMERTICK, 1);
    post(EVENT_KEYDOWN, 30);
    EXPECT_EQ(cmd.waitEvent(0), EVENT_KEYDOWN);
    // A key raised while the runtime lets the pump run once still overtakes the tick.
    driver.script = {[] { post(EVENT_KEYUP, 30); }};
    EXPECT_EQ(cmd.waitEvent(0), EVENT_KEYUP);
    EXPECT_EQ(cmd.waitEvent(0), EVENT_TIMERTICK);
    EXPECT_EQ(cmd.eventData(), 1);
    EXPECT_EQ(cmd.waitEvent(0), 0);
}

TEST_F(EventWait, PeekLooksWithoutTakingOrTouchingTheCurrentEvent) {
    post(0x401, 1);
    EXPECT_EQ(cmd.waitEvent(0), 0x401);
    post(0x402, 2);
    EXPECT_EQ(cmd.peekEvent(), 0x402);
    EXPECT_EQ(cmd.peekEvent(), 0x402);
    EXPECT_EQ(cmd.eventData(), 1);
    EXPECT_EQ(cmd.waitEvent(0), 0x402);
    EXPECT_EQ(cmd.eventData(), 2);
    EXPECT_EQ(cmd.peekEvent(), 0);
}

TEST_F(EventWait, AutoSuspendSwallowsEventsUntilTheResume) {
    cmd.autoSuspend(1);
    post(EVENT_APPSUSPEND);
    post(EVENT_KEYDOWN, 1);
    driver.script = {[] { post(EVENT_KEYDOWN, 2); }, [] { post(EVENT_APPRESUME); post(EVENT_KEYDOWN, 3); }};
    EXPECT_EQ(cmd.waitEvent(0), EVENT_APPRESUME);
    EXPECT_EQ(cmd.eventId(), EVENT_APPRESUME);
    EXPECT_EQ(driver.waits, (std::vector<int>{-1, -1}));
    EXPECT_EQ(cmd.waitEvent(0), EVENT_KEYDOWN);
    EXPECT_EQ(cmd.eventData(), 3);

    // Without auto-suspend the program keeps running and sees the suspend.
    cmd.autoSuspend(0);
    post(EVENT_APPSUSPEND);
    post(EVENT_KEYDOWN, 4);
    EXPECT_EQ(cmd.waitEvent(0), EVENT_APPSUSPEND);
    EXPECT_EQ(cmd.waitEvent(0), EVENT_KEYDOWN);
}

TEST_F(EventWait, PeekDuringAPauseConsumesWhatItSeesAndLeavesTheEventThatEndedIt) {
    cmd.autoSuspend(1);
    post(EVENT_APPSUSPEND);
    post(EVENT_KEYDOWN, 1);
    driver.script = {[] { post(EVENT_APPRESUME); }};
    EXPECT_EQ(cmd.peekEvent(), EVENT_APPRESUME);
    EXPECT_EQ(mainQueue().count(), 1u);
    EXPECT_EQ(cmd.waitEvent(0), EVENT_APPRESUME);
}

TEST_F(EventWait, ADebuggerStopHoldsTheProgramUntilContinueAndTheNextEvent) {
    testDebugger().events.clear();
    driver.script = {[] { post(EVENT_DEBUGSTOP); }, [] { post(EVENT_KEYDOWN, 1); },
                     [] { post(EVENT_DEBUGCONTINUE); post(EVENT_KEYDOWN, 2); }};
    EXPECT_EQ(cmd.waitEvent(0), EVENT_KEYDOWN);
    EXPECT_EQ(cmd.eventData(), 2);
    EXPECT_EQ(testDebugger().events, (std::vector<std::string>{"stop", "run"}));
    EXPECT_EQ(driver.waits, (std::vector<int>{0, -1, -1}));
}

TEST_F(EventWait, PollsHonourThePauseButNotInsideAModalLoop) {
    driver.script = {[] { post(EVENT_DEBUGSTOP); }, [] {}, [] { post(EVENT_DEBUGCONTINUE); }};
    cmd.flushEvents(-1, 0);
    EXPECT_EQ(driver.waits, (std::vector<int>{0, -1, -1}));

    post(EVENT_MODALENTER);
    EXPECT_EQ(cmd.peekEvent(), EVENT_MODALENTER);
    EXPECT_TRUE(appState().inModalLoop);
    driver.waits.clear();
    pumpOnce();
    EXPECT_TRUE(driver.waits.empty());
    post(EVENT_MODALEXIT);
    cmd.flushEvents(EVENT_MODALENTER, 0);
    EXPECT_EQ(cmd.waitEvent(0), EVENT_MODALEXIT);
    EXPECT_FALSE(appState().inModalLoop);
    pumpOnce();
    EXPECT_EQ(driver.waits, (std::vector<int>{0}));
}

TEST_F(EventWait, AnEndRequestEndsTheProgramAtTheNextWaitOrPoll) {
    post(EVENT_KEYDOWN);
    post(EVENT_DEBUGEND);
    EXPECT_EQ(runtimeErrorOf([&] { cmd.waitEvent(0); }), "");
    EXPECT_EQ(cmd.eventId(), EVENT_KEYDOWN);  // taken, but the program ends before it returns
    EXPECT_EQ(runtimeErrorOf([&] { cmd.peekEvent(); }), "");
    EXPECT_EQ(runtimeErrorOf([&] { cmd.flushEvents(-1, 0); }), "");
}

TEST_F(EventWait, FlushEventsEmptiesBothQueuesAfterPumping) {
    post(EVENT_MOUSEDOWN, 1);
    post(EVENT_TIMERTICK, 1);
    postEvent(EVENT_KEYDOWN, 1, 0, 0, 0, 5);
    driver.script = {[] { post(EVENT_MOUSEUP, 1); postEvent(EVENT_TIMERTICK, 2, 0, 0, 0, 5); }};
    cmd.flushEvents(0x200, 0);
    EXPECT_EQ(mainQueue().count(), 1u);
    EXPECT_EQ(tickQueue().count(), 2u);
    cmd.flushEvents(-1, 5);
    EXPECT_EQ(mainQueue().count(), 0u);
    EXPECT_EQ(tickQueue().count(), 1u);
    cmd.flushEvents(-1, 0);
    EXPECT_EQ(tickQueue().count(), 0u);
}
