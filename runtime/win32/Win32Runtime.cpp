#include "runtime/QXRuntime.h"

#include <windows.h>

#include <cfloat>
#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "runtime/QXError.h"
#include "runtime/QXModule.h"
#include "runtime/QXObject.h"
#include "runtime/QXRegistry.h"

namespace {
volatile int state = kStateIdle;
std::jmp_buf* endJump = nullptr;
std::string commandLineText;
QXObject* commandLineObject = nullptr;
QXProgramStackHook programStackHook = nullptr;
QXProgramEndedHook programEndedHook = nullptr;
QXInternalErrorHook internalErrorHook = nullptr;

// Compiled code runs at single precision; the runtime hands back double.
constexpr unsigned kSinglePrecisionControl = 0xA001F;
constexpr unsigned kDoublePrecisionControl = 0x9001F;
constexpr unsigned kControlMask = 0xFFFFF;

void runProgram(void* entry, const char* commandLine) {
    QXModuleList& modules = moduleList();
    modules.selectDefaultConfigs();
    modules.startPlainModules();
    modules.startDriverModules();
    commandLineText = commandLine ? commandLine : "";
    state = kStateRunning;
    reinterpret_cast<void (*)()>(entry)();
}
}  // namespace

int executionState() { return state; }
const std::string& programCommandLine() { return commandLineText; }
QXObject* programCommandLineObject() { return commandLineObject; }
void setProgramCommandLineObject(QXObject* object) {
    release(std::exchange(commandLineObject, object));
}

void setProgramStackHook(QXProgramStackHook hook) { programStackHook = hook; }
void setProgramEndedHook(QXProgramEndedHook hook) { programEndedHook = hook; }
void runProgramEndedHook() {
    if (programEndedHook) programEndedHook();
}
void setInternalErrorHook(QXInternalErrorHook hook) { internalErrorHook = hook; }

bool runUntilEnd(void (*body)(void*), void* context) {
    std::jmp_buf here;
    std::jmp_buf* outer = endJump;
    endJump = &here;
    volatile bool ended = false;
    if (setjmp(here) == 0)
        body(context);
    else
        ended = true;
    endJump = outer;
    return ended;
}

int Runtime::version() { return kRuntimeVersion; }
const char* Runtime::nextSym() { return registryNextSym(); }
int Runtime::symValue(const char* signature) { return registrySymValue(signature); }
void Runtime::startup(void*) {}
void Runtime::shutdown() { registryClear(); }
void Runtime::reserved1() {}
void Runtime::reserved2() {}
void Runtime::reserved3() {}
void Runtime::reserved4(int) {}

void Runtime::execute(void* entry, const char* commandLine, QXDebugger* debugger) {
    _control87(kSinglePrecisionControl, kControlMask);
    state = kStateStarting;
    if (debugger) setCurrentDebugger(debugger);
    struct Program {
        void* entry;
        const char* commandLine;
    } program{entry, commandLine};
    runUntilEnd([](void* p) {
        auto* program = static_cast<Program*>(p);
        runProgram(program->entry, program->commandLine);
    }, &program);
    state = kStateEnding;
    commandLineText.clear();
    setProgramCommandLineObject(nullptr);
    runProgramEndedHook();
    moduleList().stopDriverModules();
    moduleList().stopPlainModules();
    _control87(kDoublePrecisionControl, kControlMask);
}

extern "C" Runtime* runtimeGetRuntime() {
    static Runtime instance;
    return &instance;
}

// ---------------------------------------------------------------- errors

QXMessage formatMessage(const char* format, va_list args) {
    QXMessage message;
    std::vsnprintf(message.text, sizeof message.text, format, args);
    return message;
}

// The jump point of every runtime error and End. What it skips is governed by
// the rule in QXError.h: no frame between execute and here holds an object
// with a destructor across the call that raised the error.
void qxEnd() {
    if (state == kStateEnding) internalError("Recursive qxEnd");
    if (!endJump) internalError("End outside a running program");
    if (programStackHook) programStackHook(nullptr);
    std::longjmp(*endJump, 1);
}

void runtimeError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    QXMessage message = formatMessage(format, args);
    va_end(args);
    if (programStackHook) programStackHook(message.text);
    currentDebugger()->debugStop();
    currentDebugger()->debugError(message.text, 1);
    qxEnd();
}

void internalError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    QXMessage message = formatMessage(format, args);
    va_end(args);
    if (internalErrorHook) internalErrorHook(message.text);
    MessageBoxA(GetActiveWindow(), message.text, "***** INTERNAL ERROR *****", MB_SETFOREGROUND | MB_TOPMOST);
    std::exit(0);
}

// ---------------------------------------------------------------- commands

namespace {
void QXCALL End() { qxEnd(); }

const QXSymbol commands[] = {
    QX_COMMAND("End", End),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
