#pragma once
// The Runtime interface that hosts drive, and the execute frame around a
// compiled program.

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/QXDebugger.h"

// Slot order is a binary contract with hosts: do not reorder, add or remove
// virtual members (no virtual destructor either).
class Runtime {
public:
    virtual int version();
    virtual const char* nextSym();
    virtual int symValue(const char* signature);
    virtual void startup(void* moduleInstance);
    virtual void shutdown();
    virtual void reserved1();
    virtual void reserved2();
    virtual void reserved3();
    virtual void reserved4(int value);
    virtual void execute(void* entry, const char* commandLine, QXDebugger* debugger);
};

constexpr int kRuntimeVersion = 0x0010008B;

#if defined(_WIN32)
extern "C" __declspec(dllexport) Runtime* runtimeGetRuntime();
#else
extern "C" Runtime* runtimeGetRuntime();
#endif

// 0 before the first execute, 1 while modules start, 2 while compiled code
// runs, 3 once the program has ended.
enum QXExecutionState { kStateIdle = 0, kStateStarting = 1, kStateRunning = 2, kStateEnding = 3 };
int executionState();
// The command line execute was given (empty outside a program).
const std::string& programCommandLine();
// The string object CommandLine hands out: made by the string layer on its
// first call and kept here, one reference held, until the program ends, so
// that every call returns the same object. Null before the first call.
class QXObject;
QXObject* programCommandLineObject();
// Takes over the caller's reference.
void setProgramCommandLineObject(QXObject* object);

// Runs body(context) with the End jump point set inside it; true when it was
// left through End or a runtime error. execute runs the program this way.
bool runUntilEnd(void (*body)(void*), void* context);

// The event driver runs window procedures on a stack of its own. Before a
// runtime error is reported and before End jumps back into execute, this hook
// brings control back onto the program's stack; it returns at once when
// control is already there. `message` is the error text, or null for End.
using QXProgramStackHook = void (*)(const char* message);
void setProgramStackHook(QXProgramStackHook hook);

// Called once the program has ended (End, a return from the program or a
// runtime error), on the program's stack, before any module stops: the event
// driver unwinds the window procedures and modal loops still open on its own
// stack there, so that they let go of the gadgets they hold while every
// resource is still alive.
using QXProgramEndedHook = void (*)();
void setProgramEndedHook(QXProgramEndedHook hook);
// Runs the hook, if one is set (execute does so when the program has ended).
void runProgramEndedHook();

// In-process test drivers report internal errors themselves instead of
// showing a box that waits for a person; the hook must not return.
using QXInternalErrorHook = void (*)(const char* message);
void setInternalErrorHook(QXInternalErrorHook hook);
// Runs the hook, if one is set (internalError does so before its report).
void runInternalErrorHook(const char* message);

// The stand-alone loader: links resource 1111 of the running program and
// returns its code base. Does not return on failure (exit code -1).
void* loadModule();

#if !defined(_WIN32)
// The Linux host's loader: links a module image (a .qxm file's bytes) into
// memory that is writable and executable; returns its code base, or null with
// the reason in `error`.
void* linkModuleBytes(const unsigned char* image, std::size_t size, std::string& error);
// The program file the Linux host runs (for the title and "appdir").
void setProgramFile(const std::string& path);
const std::string& programFile();
#endif
