#include "events/win32/Win32EventDriver.h"

#include <windows.h>

#include <cstring>

#include "events/QXEventFilter.h"
#include "events/QXEventSource.h"
#include "events/QXSourceIds.h"
#include "events/win32/Win32ThreadMessages.h"
#include "events/QueFilter.h"
#include "runtime/QXError.h"
#include "runtime/QXObject.h"
#include "runtime/QXRuntime.h"

namespace {
// Window procedures, modal loops and drivers run on the pump's stack.
constexpr SIZE_T kPumpStackCommit = 64 * 1024;
constexpr SIZE_T kPumpStackReserve = 1024 * 1024;

// Turns a thread message from a debugging host or a timer into its event;
// false for every other message.
bool postThreadMessageEvent(const MSG& msg) {
    if (msg.hwnd) return false;
    switch (msg.message) {
    case kDebugStopMessage: postEvent(EVENT_DEBUGSTOP, 0, 0, 0, 0, 0); return true;
    case kDebugContinueMessage: postEvent(EVENT_DEBUGCONTINUE, 0, 0, 0, 0, 0); return true;
    case kDebugEndMessage: postEvent(EVENT_DEBUGEND, 0, 0, 0, 0, 0); return true;
    case kTimerTickMessage:
        // A tick can still be on its way when its timer is freed: the id
        // then resolves to nothing and the tick is dropped.
        if (QXEventSource* timer = sourceIds().find(static_cast<std::uint32_t>(msg.lParam)))
            postEvent(EVENT_TIMERTICK, static_cast<int>(msg.wParam), 0, 0, 0, handleOf(timer));
        return true;
    default: return false;
    }
}

// leaveModalLoops: the pump gets this many timer rounds to get out of a modal loop.
constexpr int kMaxClosingRounds = 50;
constexpr UINT kClosingTickMs = 10;

void CALLBACK closingTick(HWND, UINT, UINT_PTR, DWORD) { theWin32EventDriver.closingRound(); }

// The filter codes of the move and size loops (older headers than ours name them).
constexpr int kFilterMove = 3;
constexpr int kFilterSize = 4;

// Modal loops pass each message they take through the message filter: while
// the pump is being closed, a size or move loop gets an Escape (which ends it
// with the window where it was) and a menu loop is ended.
LRESULT CALLBACK closingFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && theWin32EventDriver.isClosing()) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (code == kFilterMove || code == kFilterSize) {
            msg->message = WM_KEYDOWN;
            msg->wParam = VK_ESCAPE;
            msg->lParam = 0;
        } else if (code == MSGF_MENU) {
            EndMenu();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// GetCurrentFiber reads the thread block through an intrinsic that trips
// GCC's bounds analysis.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
void* currentFiber() { return GetCurrentFiber(); }
#pragma GCC diagnostic pop
}  // namespace

Win32EventDriver::Win32EventDriver() { registerModule("Win32EventDriver", nullptr, nullptr); }

QX_MODULE_INSTANCE(Win32EventDriver, 5);

bool Win32EventDriver::startup() {
    resetEventState();
    if (IsThreadAFiber()) {
        fibers_[kProgramContext] = currentFiber();
        convertedThread_ = false;
    } else {
        fibers_[kProgramContext] = ConvertThreadToFiber(nullptr);
        convertedThread_ = fibers_[kProgramContext] != nullptr;
    }
    if (!fibers_[kProgramContext] || !createPump()) {
        if (convertedThread_) ConvertFiberToThread();
        convertedThread_ = false;
        fibers_[kProgramContext] = nullptr;
        return false;
    }
    context_ = kProgramContext;
    pendingTimeout_ = 0;
    postedThisPass_ = 0;
    resumePending_ = false;
    endPending_ = false;
    setEventDriver(this);
    setProgramStackHook(&Win32EventDriver::leaveProgramStackHook);
    setProgramEndedHook(&Win32EventDriver::programEndedHook);
    return true;
}

void Win32EventDriver::shutdown() {
    // Modules stop after the jump back into execute, which the stack hook
    // makes on the program's fiber: the pump is never current here.
    if (eventDriver() == this) setEventDriver(nullptr);
    setProgramStackHook(nullptr);
    setProgramEndedHook(nullptr);
    leaveModalLoops();
    deletePump();
    if (convertedThread_) ConvertFiberToThread();
    convertedThread_ = false;
    fibers_[kProgramContext] = nullptr;
    context_ = kProgramContext;
}

bool Win32EventDriver::createPump() {
    fibers_[kPumpContext] = CreateFiberEx(kPumpStackCommit, kPumpStackReserve, 0, &Win32EventDriver::pumpEntry, this);
    return fibers_[kPumpContext] != nullptr;
}

void Win32EventDriver::deletePump() {
    if (fibers_[kPumpContext]) DeleteFiber(fibers_[kPumpContext]);
    fibers_[kPumpContext] = nullptr;
    dispatchDepth_ = 0;
    postedThisPass_ = 0;
    resumePending_ = false;
}

void Win32EventDriver::switchTo(Context context) {
    context_ = context;
    SwitchToFiber(fibers_[context]);
}

void Win32EventDriver::wait(int timeoutMs) {
    if (context_ != kProgramContext || !fibers_[kPumpContext]) return;
    pendingTimeout_ = timeoutMs;
    switchTo(kPumpContext);
    if (endPending_) finishPendingEnd();
}

void Win32EventDriver::eventPassedOn() {
    ++postedThisPass_;
    // While closing, the program is not to run: the event stays queued.
    if (closing_) return;
    switchTo(kProgramContext);
}

void __stdcall Win32EventDriver::pumpEntry(void* driver) { static_cast<Win32EventDriver*>(driver)->pumpLoop(); }

void Win32EventDriver::pumpLoop() {
    for (;;) {
        if (context_ == kProgramContext) runtimeError("Wrong thread!");
        // Back in its own loop: what leaveModalLoops waited for.
        if (closing_) switchTo(kProgramContext);
        if (pendingTimeout_ != 0) {
            DWORD timeout = pendingTimeout_ < 0 ? INFINITE : static_cast<DWORD>(pendingTimeout_);
            // Input already queued (seen by a loop in the program context, say) counts too.
            MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
        postedThisPass_ = 0;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (postThreadMessageEvent(msg)) continue;
            TranslateMessage(&msg);
            ++dispatchDepth_;
            DispatchMessageA(&msg);
            --dispatchDepth_;
            if (closing_ && dispatchDepth_ == 0) switchTo(kProgramContext);
        }
        if (resumePending_) {
            resumePending_ = false;
            theQueFilter.filter(QXEvent{EVENT_APPRESUME, 0, 0, 0, 0, 0});
            ++postedThisPass_;
            switchTo(kProgramContext);
        }
        // After events, wait again with the time-out the program set last.
        if (postedThisPass_ == 0) switchTo(kProgramContext);
    }
}

void Win32EventDriver::leaveProgramStackHook(const char* message) { theWin32EventDriver.leavePump(message); }

// The frames on the pump's stack hold gadgets alive (a window whose close box
// or menu is still being tracked): they are unwound before the modules that
// own those gadgets' resources stop.
void Win32EventDriver::programEndedHook() { theWin32EventDriver.leaveModalLoops(); }

void Win32EventDriver::leavePump(const char* message) {
    if (context_ != kPumpContext) return;
    endPending_ = true;
    endHasMessage_ = message != nullptr;
    if (message) {
        std::strncpy(endMessage_, message, sizeof endMessage_ - 1);
        endMessage_[sizeof endMessage_ - 1] = 0;
    }
    switchTo(kProgramContext);
    internalError("Event pump resumed after the program ended");
}

void Win32EventDriver::finishPendingEnd() {
    endPending_ = false;
    // The frames that raised the error cannot be resumed: the modes at least
    // are cancelled, so capture and menu state do not outlive the program.
    if (dispatchDepth_ > 0) cancelModes();
    // The pump's stack still holds the frames that raised the error: it is
    // abandoned, and a fresh pump serves any later wait.
    deletePump();
    createPump();
    if (endHasMessage_) runtimeError("%s", endMessage_);
    qxEnd();
}

void Win32EventDriver::cancelModes() {
    EndMenu();
    if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
}

void Win32EventDriver::leaveModalLoops() {
    if (dispatchDepth_ == 0 || !fibers_[kPumpContext] || context_ != kProgramContext) return;
    closing_ = true;
    closingRounds_ = 0;
    HHOOK filter = SetWindowsHookExA(WH_MSGFILTER, &closingFilter, nullptr, GetCurrentThreadId());
    // The timer's messages wake a modal loop blocked in its own GetMessage.
    UINT_PTR timer = SetTimer(nullptr, 0, kClosingTickMs, &closingTick);
    cancelModes();
    pendingTimeout_ = 0;
    switchTo(kPumpContext);
    if (timer) KillTimer(nullptr, timer);
    if (filter) UnhookWindowsHookEx(filter);
    closing_ = false;
    // Timer messages still queued would otherwise call back into a later pump.
    MSG msg;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), WM_TIMER, WM_TIMER, PM_REMOVE)) {}
}

void Win32EventDriver::closingRound() {
    if (!closing_ || context_ != kPumpContext) return;
    cancelModes();
    if (++closingRounds_ >= kMaxClosingRounds) switchTo(kProgramContext);
}
