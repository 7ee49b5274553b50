// The Windows message pump with real windows: Windows messages posted to
// hidden test windows (and thread messages from other threads) become events
// the way the GUI binding and the timers raise them.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "TestSupport.h"
#include "events/QXEventDriver.h"
#include "events/QXEventQueue.h"
#include "events/QXSourceIds.h"
#include "events/win32/Win32ThreadMessages.h"
#include "events/QXEventSource.h"
#include "events/QXHotKeys.h"
#include "events/QueFilter.h"
#include "events/win32/Win32CatchFilter.h"
#include "events/win32/Win32EventDriver.h"
#include "runtime/QXRuntime.h"

namespace {
constexpr UINT kFailMessage = WM_APP + 1;       // raises a runtime error in the window procedure
constexpr UINT kModalMessage = WM_APP + 2;      // runs a modal loop until kModalDoneMessage
constexpr UINT kModalDoneMessage = WM_APP + 3;
constexpr UINT kEndMessage = WM_APP + 4;        // calls End in the window procedure
constexpr UINT kRaiseMessage = WM_APP + 5;      // raises 0x401 with data wParam

constexpr LPARAM kScanA = 0x1E0001;
constexpr LPARAM kScanB = 0x300001;
constexpr LPARAM kScanControl = 0x1D0001;
constexpr LPARAM kScanShift = 0x2A0001;

int dispatched = 0;  // messages that reached a test window procedure
int sizeMoveLoopsEntered = 0;  // Windows' own move and size loops, as the window is told
int sizeMoveLoopsLeft = 0;

// A hidden window that turns its messages into events as the GUI binding does.
class TestWindow : public QXEventSource {
public:
    TestWindow() {
        hwnd = CreateWindowExA(0, windowClass(), "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), this);
    }
    ~TestWindow() override {
        if (hwnd) DestroyWindow(hwnd);
    }
    void post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { PostMessageA(hwnd, message, wParam, lParam); }
    int handle() const { return handleOf(this); }

    HWND hwnd = nullptr;

private:
    static const char* windowClass() {
        static const char* name = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &TestWindow::windowProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "QXEventTestWindow";
            RegisterClassA(&wc);
            return "QXEventTestWindow";
        }();
        return name;
    }

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* window = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!window || !window->handleMessage(message, wParam, lParam))
            return DefWindowProcA(hwnd, message, wParam, lParam);
        return 0;
    }

    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        int keyCode = keyCodeOfKeyMessage(static_cast<std::uint32_t>(lParam));
        int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
        switch (message) {
        case WM_KEYDOWN:
            ++dispatched;
            updateModifierSet(static_cast<int>(wParam), true);
            if (wParam >= VK_SHIFT && wParam <= VK_MENU) return true;
            if (!hotKeyLookup(keyCode, modifierSet())) emit(EVENT_KEYDOWN, keyCode, 0, 0, 0);
            return true;
        case WM_KEYUP:
            ++dispatched;
            updateModifierSet(static_cast<int>(wParam), false);
            emit(EVENT_KEYUP, keyCode, 0, 0, 0);
            return true;
        case WM_MOUSEMOVE: ++dispatched; emit(EVENT_MOUSEMOVE, 0, x, y, 0); return true;
        case WM_LBUTTONDOWN: ++dispatched; emit(EVENT_MOUSEDOWN, 1, x, y, modifierSet()); return true;
        case WM_ACTIVATEAPP:
            ++dispatched;
            postEvent(wParam ? EVENT_APPRESUME : EVENT_APPSUSPEND, 0, 0, 0, 0, 0);
            return true;
        case WM_ENTERSIZEMOVE: ++sizeMoveLoopsEntered; return false;
        case WM_EXITSIZEMOVE: ++sizeMoveLoopsLeft; return false;
        case kRaiseMessage: ++dispatched; emit(0x401, static_cast<int>(wParam), 0, 0, 0); return true;
        case kFailMessage: runtimeError("Raised in a window procedure");
        case kEndMessage: qxEnd();
        case kModalMessage: {
            postEvent(EVENT_MODALENTER, 0, 0, 0, 0, 0);
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0 && msg.message != kModalDoneMessage) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            postEvent(EVENT_MODALEXIT, 0, 0, 0, 0, 0);
            return true;
        }
        default: return false;
        }
    }
};

struct EventCommands {
    int(QXCALL* waitEvent)(int) = command<int(QXCALL*)(int)>("%WaitEvent%timeout=-1");
    int(QXCALL* peekEvent)() = command<int(QXCALL*)()>("%PeekEvent");
    int(QXCALL* eventId)() = command<int(QXCALL*)()>("%EventID");
    int(QXCALL* eventData)() = command<int(QXCALL*)()>("%EventData");
    int(QXCALL* eventX)() = command<int(QXCALL*)()>("%EventX");
    int(QXCALL* eventY)() = command<int(QXCALL*)()>("%EventY");
    int(QXCALL* eventZ)() = command<int(QXCALL*)()>("%EventZ");
    int(QXCALL* eventSource)() = command<int(QXCALL*)()>("%EventSource");
    void(QXCALL* flushEvents)(int, int) = command<void(QXCALL*)(int, int)>("FlushEvents%kind=-1%source=0");
    void(QXCALL* autoSuspend)(int) = command<void(QXCALL*)(int)>("AutoSuspend%enable");
    void(QXCALL* hotKeyEvent)(int, int, int, int, int, int, int, int) =
        command<void(QXCALL*)(int, int, int, int, int, int, int, int)>(
            "HotKeyEvent%rawkey%modifier%ev_id%ev_data=0%ev_x=0%ev_y=0%ev_z=0%ev_source=0");
};

long long millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

void discardThreadMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
}

class EventPump : public testing::Test {
protected:
    void SetUp() override {
        discardThreadMessages();
        // The order execute starts them in.
        ASSERT_TRUE(startModule(&theWin32EventDriver));
        ASSERT_TRUE(startModule(&theWin32CatchFilter));
        ASSERT_TRUE(startModule(&theQueFilter));
        a = new TestWindow;
        b = new TestWindow;
        ASSERT_TRUE(a->hwnd && b->hwnd);
        dispatched = 0;
        sizeMoveLoopsEntered = sizeMoveLoopsLeft = 0;
        testDebugger().events.clear();
    }
    void TearDown() override {
        release(a);
        release(b);
        stopModule(&theQueFilter);
        stopModule(&theWin32CatchFilter);
        stopModule(&theWin32EventDriver);
        discardThreadMessages();
        resetEventState();
    }

    // Lets the pump run, without taking events, until `count` messages reached the windows.
    void dispatchUntil(int count) {
        for (int i = 0; i < 5000 && dispatched < count; ++i) pumpOnce();
        ASSERT_EQ(dispatched, count);
    }

    EventCommands cmd;
    TestWindow* a = nullptr;
    TestWindow* b = nullptr;
};
}  // namespace

TEST_F(EventPump, WaitsPollTimeOutAndBlockUntilAnEventIsStored) {
    EXPECT_EQ(cmd.waitEvent(0), 0);
    EXPECT_EQ(cmd.eventId(), 0);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(cmd.waitEvent(100), 0);
    long long elapsed = millisecondsSince(start);
    EXPECT_GE(elapsed, 90);
    EXPECT_LT(elapsed, 3000);

    std::thread typist([&] {
        Sleep(150);
        a->post(WM_KEYDOWN, 'A', kScanA);
    });
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_KEYDOWN);
    EXPECT_GE(millisecondsSince(start), 100);
    typist.join();
    EXPECT_EQ(cmd.eventData(), 0x1E);
    EXPECT_EQ(cmd.eventSource(), a->handle());
}

TEST_F(EventPump, EachEventReachesTheProgramBeforeThePumpGoesOn) {
    a->post(WM_KEYDOWN, 'A', kScanA);
    a->post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    b->post(WM_MOUSEMOVE, 0, MAKELPARAM(30, 40));
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_KEYDOWN);
    EXPECT_EQ(dispatched, 1) << "the pump stopped right after the first event";
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_MOUSEDOWN);
    EXPECT_EQ(cmd.eventData(), 1);
    EXPECT_EQ(cmd.eventX(), 10);
    EXPECT_EQ(cmd.eventY(), 20);
    EXPECT_EQ(cmd.eventSource(), a->handle());
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_MOUSEMOVE);
    EXPECT_EQ(cmd.eventSource(), b->handle());
    EXPECT_EQ(cmd.waitEvent(0), 0);
}

TEST_F(EventPump, EventsRaisedByTheProgramItselfAreNotQueued) {
    SendMessageA(a->hwnd, WM_KEYDOWN, 'A', kScanA);
    EXPECT_EQ(dispatched, 1);
    EXPECT_TRUE(mainQueue().empty());
    EXPECT_EQ(cmd.waitEvent(0), 0);
}

TEST_F(EventPump, EventsQueuedWhileTheProgramOnlyPollsCoalesceAndFlush) {
    a->post(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    a->post(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    b->post(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    b->post(WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    a->post(WM_KEYDOWN, 'A', kScanA);
    a->post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    b->post(WM_KEYDOWN, 'B', kScanB);
    dispatchUntil(7);
    EXPECT_EQ(mainQueue().count(), 5u);

    EXPECT_EQ(cmd.peekEvent(), EVENT_MOUSEMOVE);
    cmd.flushEvents(-1, b->handle());
    cmd.flushEvents(0x200, 0);
    EXPECT_EQ(cmd.waitEvent(0), EVENT_KEYDOWN);
    EXPECT_EQ(cmd.eventSource(), a->handle());
    EXPECT_EQ(cmd.waitEvent(0), 0);

    // Again, without the flushes: the latest position of each run of moves.
    a->post(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    a->post(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    b->post(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    b->post(WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    dispatchUntil(11);
    EXPECT_EQ(cmd.waitEvent(0), EVENT_MOUSEMOVE);
    EXPECT_EQ(cmd.eventX(), 2);
    EXPECT_EQ(cmd.waitEvent(0), EVENT_MOUSEMOVE);
    EXPECT_EQ(cmd.eventX(), 4);
    EXPECT_EQ(cmd.waitEvent(0), 0);
}

TEST_F(EventPump, The257thEventIsLost) {
    for (int i = 0; i < 257; ++i) a->post(kRaiseMessage, static_cast<WPARAM>(i));
    dispatchUntil(257);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(cmd.waitEvent(0), 0x401);
        ASSERT_EQ(cmd.eventData(), i);
    }
    EXPECT_EQ(cmd.waitEvent(0), 0);
}

TEST_F(EventPump, TimerTicksFromAnotherThreadCoalescePerTimerAndYieldToInput) {
    auto* timerA = new QXEventSource;
    auto* timerB = new QXEventSource;
    auto* freed = new QXEventSource;
    const std::uint32_t idA = sourceIds().add(timerA);
    const std::uint32_t freedId = sourceIds().add(freed);
    sourceIds().remove(freedId);
    release(freed);
    // A new source in the freed one's slot (and perhaps at its address) gets
    // a new id: the freed one's ticks still on their way must not reach it.
    auto* successor = new QXEventSource;
    const std::uint32_t successorId = sourceIds().add(successor);
    const std::uint32_t idB = sourceIds().add(timerB);
    DWORD programThread = GetCurrentThreadId();
    std::thread timers([&] {
        for (int tick = 1; tick <= 10; ++tick) PostThreadMessageA(programThread, kTimerTickMessage, tick, idA);
        for (int tick = 1; tick <= 3; ++tick) PostThreadMessageA(programThread, kTimerTickMessage, tick, idB);
        for (int tick = 1; tick <= 100; ++tick) PostThreadMessageA(programThread, kTimerTickMessage, 7, freedId);
        PostThreadMessageA(programThread, kTimerTickMessage, 1, 0);
        a->post(WM_KEYDOWN, 'A', kScanA);
    });
    timers.join();
    dispatchUntil(1);
    EXPECT_EQ(tickQueue().count(), 2u);
    EXPECT_EQ(cmd.waitEvent(0), EVENT_KEYDOWN);
    EXPECT_EQ(cmd.waitEvent(0), EVENT_TIMERTICK);
    EXPECT_EQ(cmd.eventData(), 10);
    EXPECT_EQ(cmd.eventSource(), handleOf(timerA));
    EXPECT_EQ(cmd.waitEvent(0), EVENT_TIMERTICK);
    EXPECT_EQ(cmd.eventData(), 3);
    EXPECT_EQ(cmd.eventSource(), handleOf(timerB));
    EXPECT_EQ(cmd.waitEvent(0), 0) << "nothing for the freed timer, its successor or id 0";
    for (std::uint32_t id : {idA, idB, successorId}) sourceIds().remove(id);
    release(timerA);
    release(timerB);
    release(successor);
}

TEST_F(EventPump, DebuggerThreadMessagesStopContinueAndEndTheProgram) {
    // Only thread messages are debugger requests; the same number sent to a window is not.
    a->post(WM_USER + 1);
    EXPECT_EQ(cmd.waitEvent(0), 0);
    EXPECT_TRUE(testDebugger().events.empty());

    DWORD programThread = GetCurrentThreadId();
    std::thread host([&] {
        PostThreadMessageA(programThread, WM_USER + 1, 0, 0);
        a->post(WM_KEYDOWN, 'A', kScanA);  // swallowed by the pause
        Sleep(100);
        PostThreadMessageA(programThread, WM_USER + 2, 0, 0);
        a->post(WM_KEYDOWN, 'B', kScanB);
    });
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_KEYDOWN);
    host.join();
    EXPECT_EQ(cmd.eventData(), 0x30);
    EXPECT_EQ(testDebugger().events, (std::vector<std::string>{"stop", "run"}));

    std::thread([&] { PostThreadMessageA(programThread, WM_USER + 3, 0, 0); }).join();
    EXPECT_EQ(runtimeErrorOf([&] { cmd.waitEvent(-1); }), "");
    EXPECT_TRUE(appState().endRequested);
    EXPECT_EQ(runtimeErrorOf([&] { cmd.flushEvents(-1, 0); }), "");
}

TEST_F(EventPump, AutoSuspendPausesTheProgramUntilTheApplicationIsActiveAgain) {
    cmd.autoSuspend(1);
    a->post(WM_ACTIVATEAPP, FALSE);
    a->post(WM_KEYDOWN, 'A', kScanA);
    std::thread user([&] {
        Sleep(200);
        a->post(WM_KEYDOWN, 'A', kScanA);
        a->post(WM_ACTIVATEAPP, TRUE);
        a->post(WM_KEYDOWN, 'B', kScanB);  // raised before the resume is delivered
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_APPRESUME);
    EXPECT_GE(millisecondsSince(start), 150);
    user.join();
    EXPECT_EQ(dispatched, 5);
    EXPECT_EQ(cmd.waitEvent(0), 0);

    // Without auto-suspend the program sees everything, the resume only once
    // the Windows queue has been drained.
    cmd.autoSuspend(0);
    a->post(WM_ACTIVATEAPP, FALSE);
    a->post(WM_KEYDOWN, 'A', kScanA);
    a->post(WM_ACTIVATEAPP, TRUE);
    a->post(WM_KEYDOWN, 'B', kScanB);
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_APPSUSPEND);
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_KEYDOWN);
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_KEYDOWN);
    EXPECT_EQ(cmd.eventData(), 0x30);
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_APPRESUME);
    EXPECT_EQ(cmd.waitEvent(0), 0);
}

TEST_F(EventPump, HotKeysNeedTheExactModifierSet) {
    cmd.hotKeyEvent(0x1E, kModifierControl, 0x9001, 7, 1, 2, 3, b->handle());
    a->post(WM_KEYDOWN, VK_CONTROL, kScanControl);
    a->post(WM_KEYDOWN, 'A', kScanA);
    a->post(WM_KEYDOWN, VK_SHIFT, kScanShift);
    a->post(WM_KEYDOWN, 'A', kScanA);
    EXPECT_EQ(cmd.waitEvent(-1), 0x9001);
    EXPECT_EQ(cmd.eventData(), 7);
    EXPECT_EQ(cmd.eventZ(), 3);
    EXPECT_EQ(cmd.eventSource(), b->handle());
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_KEYDOWN);
    EXPECT_EQ(cmd.eventSource(), a->handle());
    EXPECT_EQ(cmd.waitEvent(0), 0);
}

TEST_F(EventPump, AModalLoopInsideThePumpStillServesTheProgram) {
    a->post(kModalMessage);
    a->post(WM_KEYDOWN, 'A', kScanA);
    a->post(WM_KEYDOWN, 'B', kScanB);
    a->post(kModalDoneMessage);
    a->post(WM_KEYUP, 'A', kScanA);
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_MODALENTER);
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_KEYDOWN);
    // Polls leave the pump alone while it sits in a modal loop.
    int before = dispatched;
    cmd.flushEvents(0x4000, 0);
    EXPECT_EQ(dispatched, before);
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_KEYDOWN);
    EXPECT_EQ(cmd.eventData(), 0x30);
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_MODALEXIT);
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_KEYUP);
}

TEST_F(EventPump, ErrorsAndEndInsideThePumpEndOnTheProgramsOwnStack) {
    a->post(kFailMessage);
    EXPECT_EQ(runtimeErrorOf([&] { cmd.waitEvent(-1); }), "Raised in a window procedure");
    EXPECT_EQ(testDebugger().events, (std::vector<std::string>{"stop", "error(1): Raised in a window procedure"}));

    // The pump is usable again afterwards.
    a->post(WM_KEYDOWN, 'A', kScanA);
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_KEYDOWN);

    testDebugger().events.clear();
    a->post(kEndMessage);
    EXPECT_EQ(runtimeErrorOf([&] { cmd.waitEvent(-1); }), "");
    EXPECT_TRUE(testDebugger().events.empty());
    b->post(WM_KEYDOWN, 'B', kScanB);
    EXPECT_EQ(cmd.waitEvent(-1), EVENT_KEYDOWN);
    EXPECT_EQ(cmd.eventSource(), b->handle());
}

// ------------------------------------------------------------- whole programs
// execute leaves the process in its "ended" state, so these run in a child
// process, which reports a failed check by its exit code and a line on stderr.

namespace {
TestWindow* programWindow = nullptr;
int programSteps = 0;

void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "failed: %s\n", what);
    std::exit(1);
}

void firstProgram() {
    ++programSteps;
    check(eventDriver() == &theWin32EventDriver, "the driver runs");
    EventCommands cmd;
    programWindow = new TestWindow;
    // A source freed while the program runs takes its queued events with it.
    auto* source = new QXEventSource;
    theQueFilter.filter(QXEvent{0x401, 1, 0, 0, 0, handleOf(source)});
    theQueFilter.filter(QXEvent{0x401, 2, 0, 0, 0, programWindow->handle()});
    theQueFilter.filter(QXEvent{EVENT_TIMERTICK, 3, 0, 0, 0, handleOf(source)});
    release(source);
    check(mainQueue().count() == 1 && tickQueue().empty(), "a freed source's events are flushed");
    cmd.autoSuspend(1);
    programWindow->post(kFailMessage);
    check(cmd.waitEvent(-1) == 0x401, "the queued event");
    cmd.waitEvent(-1);  // ends inside the pump
    ++programSteps;
}

void secondProgram() {
    ++programSteps;
    EventCommands cmd;
    check(!appState().autoSuspend && mainQueue().empty(), "the second program starts afresh");
    programWindow->post(WM_KEYDOWN, 'A', kScanA);
    check(cmd.waitEvent(-1) == EVENT_KEYDOWN, "the pump serves the second program");
    check(cmd.waitEvent(30) == 0, "the time-out passes");
}

void runTwoPrograms() {
    discardThreadMessages();
    Runtime* runtime = runtimeGetRuntime();
    runtime->execute(reinterpret_cast<void*>(&firstProgram), "", nullptr);
    check(programSteps == 1, "the first program ended inside the pump");
    check(testDebugger().lastError == "Raised in a window procedure", "the error was reported");
    check(eventDriver() == nullptr && !IsThreadAFiber(), "the thread is given back");
    // Left behind after the end: the next program must not see it.
    theQueFilter.filter(QXEvent{0x401, 9, 0, 0, 0, 0});
    runtime->execute(reinterpret_cast<void*>(&secondProgram), "", nullptr);
    check(programSteps == 2 && !IsThreadAFiber(), "the second program ran to its end");
    std::fprintf(stderr, "both programs ran\n");
    std::exit(0);
}
}  // namespace

TEST(EventProgramsDeathTest, AProgramEndedInsideThePumpLeavesTheThreadReadyForTheNext) {
    EXPECT_EXIT(runTwoPrograms(), testing::ExitedWithCode(0), "both programs ran");
}

// The program ends while the pump is suspended inside Windows' own move loop
// (a window's Move command, entered here by the command rather than by a
// mouse drag): the loop is left before the pump is deleted, so no capture or
// loop state outlives the program and the next pump works as usual.
// The window procedures still open on the pump's stack hold their gadgets:
// they are unwound as soon as the program has ended, before any module stops
// and releases what those gadgets use.
TEST_F(EventPump, TheProgramsEndLeavesModalLoopsBeforeModulesStop) {
    ShowWindow(a->hwnd, SW_SHOWNORMAL);
    a->post(WM_SYSCOMMAND, SC_MOVE, 0);
    a->post(kRaiseMessage, 7);
    ASSERT_EQ(cmd.waitEvent(2000), 0x401);
    ASSERT_EQ(sizeMoveLoopsEntered, 1) << "the event was raised inside the move loop";
    ASSERT_EQ(sizeMoveLoopsLeft, 0);

    EXPECT_TRUE(runUntilEnd([](void*) { qxEnd(); }, nullptr));
    runProgramEndedHook();  // what execute does first after the program's end
    EXPECT_EQ(sizeMoveLoopsLeft, 1) << "the move loop ran to its end with the driver still running";
    EXPECT_EQ(eventDriver(), &theWin32EventDriver);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EventPump, EndInsideAWindowMoveLoopLeavesTheLoopFirst) {
    ShowWindow(a->hwnd, SW_SHOWNORMAL);
    RECT before;
    GetWindowRect(a->hwnd, &before);
    a->post(WM_SYSCOMMAND, SC_MOVE, 0);
    a->post(kRaiseMessage, 7);
    ASSERT_EQ(cmd.waitEvent(2000), 0x401);
    ASSERT_EQ(sizeMoveLoopsEntered, 1) << "the event was raised inside the move loop";
    ASSERT_EQ(sizeMoveLoopsLeft, 0);

    EXPECT_TRUE(runUntilEnd([](void*) { qxEnd(); }, nullptr));
    stopModule(&theWin32EventDriver);  // as execute does after End
    EXPECT_EQ(sizeMoveLoopsLeft, 1) << "the move loop ran to its end";
    EXPECT_EQ(GetCapture(), nullptr);
    RECT after;
    GetWindowRect(a->hwnd, &after);
    EXPECT_TRUE(EqualRect(&before, &after)) << "a cancelled move leaves the window where it was";

    ASSERT_TRUE(startModule(&theWin32EventDriver));
    a->post(kRaiseMessage, 8);
    ASSERT_EQ(cmd.waitEvent(2000), 0x401);
    EXPECT_EQ(cmd.eventData(), 8);
    EXPECT_EQ(sizeMoveLoopsEntered, 1);
}
