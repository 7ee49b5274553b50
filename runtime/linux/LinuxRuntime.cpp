// Linux parts of the execute frame: the x87 control word, internal errors on
// standard error, and the module linked into memory of the process.
#include <fpu_control.h>
#include <sys/mman.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "runtime/QXAppTitle.h"
#include "runtime/QXError.h"
#include "runtime/QXFpu.h"
#include "runtime/QXLinkKey.h"
#include "runtime/QXModuleImage.h"
#include "runtime/QXRuntime.h"
#include "runtime/linux/LinuxUnavailable.h"

#include <vector>

namespace {
// Single precision, every exception masked, rounding to nearest (bit 6 is
// reserved and reads as set).
constexpr fpu_control_t kProgramControl = 0x007F;
fpu_control_t runtimeControl = _FPU_DEFAULT;
std::string programPath;
}  // namespace

void setProgramFpuControl() {
    _FPU_GETCW(runtimeControl);
    fpu_control_t control = kProgramControl;
    _FPU_SETCW(control);
}

void restoreRuntimeFpuControl() { _FPU_SETCW(runtimeControl); }

void internalError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    QXMessage message = formatMessage(format, args);
    va_end(args);
    runInternalErrorHook(message.text);
    std::fprintf(stderr, "***** INTERNAL ERROR *****\n%s\n", message.text);
    std::exit(0);
}

void setProgramFile(const std::string& path) { programPath = path; }
const std::string& programFile() { return programPath; }
std::string runningProgramPath() { return programPath; }

void* linkModuleBytes(const unsigned char* image, std::size_t size, std::string& error) {
    Runtime* runtime = runtimeGetRuntime();
    // A link key derived twice keeps the entry added later: the stubs of
    // commands Linux lacks go in first, so none hides a command it has.
    std::vector<std::pair<const char*, std::uint32_t>> available;
    QXLinkTable table;
    while (const char* signature = runtime->nextSym()) {
        const auto address = static_cast<std::uint32_t>(runtime->symValue(signature));
        if (unavailableOnLinux(signature))
            table.add(signature, address);
        else
            available.emplace_back(signature, address);
    }
    for (const auto& [signature, address] : available) table.add(signature, address);
    auto resolve = [&](std::string_view name) { return table.find(name); };
    // Compiled code keeps its data beside its code: one block, writable and executable.
    auto allocate = [](std::size_t bytes) -> std::uint8_t* {
        void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return block == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(block);
    };
    QXImageLinkResult result = linkModuleImage(image, size, resolve, allocate);
    if (!result.ok()) {
        error = result.error;
        return nullptr;
    }
    return result.codeBase;
}
