#pragma once
// The Windows event driver: runs the message pump in a second execution
// context (a fiber) on the program's own thread. The program context switches
// to the pump when it waits; the pump switches back as soon as an event has
// been raised (Win32CatchFilter) or the wait has timed out, so a waiting
// program keeps being served even while the pump sits inside a modal Windows
// loop (window move or size, menu tracking).

#include "events/QXEventDriver.h"

class Win32EventDriver : public QXEventDriver {
public:
    Win32EventDriver();

    // Makes the program's thread a fiber, creates the pump fiber and registers
    // as the event driver. A new program starts with empty queues and state.
    bool startup() override;
    // Leaves the modal loops the pump may be suspended in, deletes the pump
    // and gives the thread back as it was, so that a later execute starts afresh.
    void shutdown() override;
    // In the program context: lets the pump run (see the class comment). In
    // the pump context it does nothing.
    void wait(int timeoutMs) override;

    bool inPumpContext() const { return context_ == kPumpContext; }
    // An event raised in the pump has been passed on: hand control to the
    // program at once. The pump goes on from here when the program next waits.
    void eventPassedOn();
    // An application resume raised in the pump is delivered once the Windows
    // message queue has been drained.
    void holdResume() { resumePending_ = true; }

    // For leaveModalLoops' thread timer (running on the pump inside a modal
    // loop): cancels the modes again, and after too many rounds gives up and
    // hands control back to the program.
    void closingRound();
    bool isClosing() const { return closing_; }

private:
    enum Context { kProgramContext = 0, kPumpContext = 1 };

    static void __stdcall pumpEntry(void* driver);
    static void leaveProgramStackHook(const char* message);
    static void programEndedHook();
    [[noreturn]] void pumpLoop();
    void switchTo(Context context);
    bool createPump();
    void deletePump();
    // Runtime error or End raised in the pump: carried over to the program's
    // own stack, where the jump back into execute is safe.
    void leavePump(const char* message);
    [[noreturn]] void finishPendingEnd();
    // The pump may be suspended inside a window procedure, and there inside a
    // modal loop (moving or sizing a window, a menu). Deleting its fiber there
    // would leave the thread's window state mid-loop (capture held, menu
    // mode), so the pump runs once more with the modes cancelled until it is
    // back in its own loop, or gives up after a bounded number of rounds.
    void leaveModalLoops();
    static void cancelModes();

    void* fibers_[2] = {};
    Context context_ = kProgramContext;
    int pendingTimeout_ = 0;
    int postedThisPass_ = 0;
    bool resumePending_ = false;
    bool convertedThread_ = false;
    bool endPending_ = false;
    bool endHasMessage_ = false;
    char endMessage_[256] = {};
    int dispatchDepth_ = 0;  // window procedures of the pump's dispatching under way
    bool closing_ = false;   // leaveModalLoops runs
    int closingRounds_ = 0;
};

extern Win32EventDriver theWin32EventDriver;
