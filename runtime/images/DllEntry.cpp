// runtime.dll: the development-host role. The runtime exports
// runtimeGetRuntime; the C runtime's DLL start-up runs the static constructors
// in which every module and command table registers.
#include "runtime/QXRuntime.h"

namespace {
[[maybe_unused]] auto* const exported = &runtimeGetRuntime;
}
