// The execute frame around a compiled program, and the two error exits that
// leave it (End and runtime errors jump back here through longjmp).
#include "runtime/QXRuntime.h"

#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <utility>

#include "runtime/QXError.h"
#include "runtime/QXFpu.h"
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
void runInternalErrorHook(const char* message) {
    if (internalErrorHook) internalErrorHook(message);
}

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
    setProgramFpuControl();
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
    restoreRuntimeFpuControl();
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

// ---------------------------------------------------------------- commands

namespace {
void QXCALL End() { qxEnd(); }

const QXSymbol commands[] = {
    QX_COMMAND("End", End),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
