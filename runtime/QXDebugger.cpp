// The debugger interface's defaults, the current debugger and the trace
// commands every program links against.
#include "runtime/QXDebugger.h"

#include <cstdarg>

#include "runtime/QXError.h"
#include "runtime/QXRegistry.h"

void QXDebugger::debugRun() {}
void QXDebugger::debugStop() {}
void QXDebugger::debugStmt(int, int) {}
void QXDebugger::debugEnter(int, int, int) {}
void QXDebugger::debugLeave() {}
void QXDebugger::debugLog(const char*) {}
void QXDebugger::debugError(const char*, int) {}

namespace {
constinit QXDefaultDebugger defaultDebugger;
constinit QXDebugger* current = &defaultDebugger;
}  // namespace

QXDebugger* currentDebugger() { return current; }
void setCurrentDebugger(QXDebugger* debugger) { current = debugger; }

void debugLogLine(const char* format, ...) {
    va_list args;
    va_start(args, format);
    QXMessage line = formatMessage(format, args);
    va_end(args);
    current->debugLog(line.text);
}

// ---------------------------------------------------------------- commands
// Present so every program links; this runtime does not trace.

namespace {
void QXCALL Stop() {}
void QXCALL DebugLog(QXString*) {}
void QXCALL RuntimeStats() {}
void QXCALL DebugStmt(int, int) {}
void QXCALL DebugEnter(int, int, int) {}
void QXCALL DebugLeave() {}

const QXSymbol coreCommands[] = {
    QX_COMMAND("RuntimeStats", RuntimeStats),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Core, coreCommands);

const QXSymbol systemCommands[] = {
    QX_COMMAND("Stop", Stop),
    QX_COMMAND("DebugLog$message", DebugLog),
    QX_COMMAND("_qxDebugStmt", DebugStmt),
    QX_COMMAND("_qxDebugEnter", DebugEnter),
    QX_COMMAND("_qxDebugLeave", DebugLeave),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, systemCommands);
}  // namespace
