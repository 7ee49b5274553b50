#pragma once
// The two error exits every part of the runtime uses.

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
