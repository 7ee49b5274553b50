// Windows parts of the execute frame: the x87 control word and the box of an
// internal error.
#include <windows.h>

#include <cfloat>
#include <cstdarg>
#include <cstdlib>

#include "runtime/QXError.h"
#include "runtime/QXFpu.h"
#include "runtime/QXRuntime.h"

namespace {
// Compiled code runs at single precision; the runtime hands back double.
constexpr unsigned kSinglePrecisionControl = 0xA001F;
constexpr unsigned kDoublePrecisionControl = 0x9001F;
constexpr unsigned kControlMask = 0xFFFFF;
}  // namespace

void setProgramFpuControl() { _control87(kSinglePrecisionControl, kControlMask); }
void restoreRuntimeFpuControl() { _control87(kDoublePrecisionControl, kControlMask); }

void internalError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    QXMessage message = formatMessage(format, args);
    va_end(args);
    runInternalErrorHook(message.text);
    MessageBoxA(GetActiveWindow(), message.text, "***** INTERNAL ERROR *****", MB_SETFOREGROUND | MB_TOPMOST);
    std::exit(0);
}

