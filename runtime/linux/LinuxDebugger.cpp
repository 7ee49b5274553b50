// The Linux host's debugger: a runtime error's text (what the Windows box
// shows) on standard error.
#include "runtime/QXDebugger.h"

#include <cstdio>

void QXDefaultDebugger::debugError(const char* text, int) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
}
