#pragma once
// The debugger interface a development host hands to execute. Slot order is a
// binary contract with hosts: do not reorder, add or remove virtual members.

class QXDebugger {
public:
    virtual void debugRun();
    virtual void debugStop();
    virtual void debugStmt(int a, int b);
    virtual void debugEnter(int a, int b, int c);
    virtual void debugLeave();
    virtual void debugLog(const char* text);
    virtual void debugError(const char* text, int fatal);
};

// The built-in debugger of the stand-alone program: errors in a message box
// captioned with the application title, everything else ignored.
class QXDefaultDebugger : public QXDebugger {
public:
    void debugError(const char* text, int fatal) override;
};

QXDebugger* currentDebugger();
void setCurrentDebugger(QXDebugger* debugger);

// Formats a line (at most 255 characters) for the current debugger's log.
void debugLogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
