#pragma once
// The two error exits every part of the runtime uses.
//
// THE RULE: runtimeError and qxEnd leave through longjmp back into execute,
// which skips C++ destructors. So no object with a non-trivial destructor
// (std::string, std::vector, std::unique_ptr, a lock, ...) may be alive in any
// frame across a call that can raise a runtime error or End: a checkHandle, a
// stream's read or write, a command, a module start. Finish with such objects
// (or keep them in static storage) first, then raise the error. Inside a
// catch handler, only record what happened: raise the error after leaving it.
// The registry's guard turns a C++ exception that escapes a command into a
// runtime error in that way.

// Reports a runtime error through the current debugger and ends the program
// (control returns into execute). Never returns. Messages are cut to 255 characters.
[[noreturn]] void runtimeError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Reports a broken invariant in a message box and ends the process with code 0.
[[noreturn]] void internalError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Ends the program: jumps back into execute.
[[noreturn]] void qxEnd();

// Formats printf-style into a 256-byte buffer (at most 255 characters).
struct QXMessage {
    char text[256];
};
QXMessage formatMessage(const char* format, __builtin_va_list args);
