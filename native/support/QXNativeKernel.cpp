// The kernel's error exits and debugger for native builds of the portable code.

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "runtime/QXDebugger.h"
#include "runtime/QXError.h"
#include "support/QXNativeRuntimeError.h"

QXMessage formatMessage(const char* format, va_list args) {
    QXMessage message;
    std::vsnprintf(message.text, sizeof message.text, format, args);
    return message;
}

void qxEnd() { throw QXNativeEnd{}; }

void runtimeError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    QXMessage message = formatMessage(format, args);
    va_end(args);
    throw QXNativeRuntimeError(message.text);
}

void internalError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    QXMessage message = formatMessage(format, args);
    va_end(args);
    std::fprintf(stderr, "internal error: %s\n", message.text);
    std::abort();
}

void QXDebugger::debugRun() {}
void QXDebugger::debugStop() {}
void QXDebugger::debugStmt(int, int) {}
void QXDebugger::debugEnter(int, int, int) {}
void QXDebugger::debugLeave() {}
void QXDebugger::debugLog(const char*) {}
void QXDebugger::debugError(const char*, int) {}

namespace {
QXDebugger silentDebugger;
QXDebugger* current = &silentDebugger;
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
