// Commands with no Linux back end yet. Each is still registered, so that every
// program links as it does on Windows; called, it stops the program with the
// runtime error "<Name> is not available on Linux" (never a crash or a silent
// no-op). The list is made by the build from the command tables of the
// subsystems it leaves out.
#include "runtime/linux/LinuxUnavailable.h"

#include <array>
#include <cstring>
#include <string>
#include <utility>

#include "runtime/QXError.h"
#include "runtime/QXRegistry.h"

namespace {

constexpr const char* kUnavailable[] = {
#include "QXUnavailableTable.inc"
};
constexpr std::size_t kCount = std::size(kUnavailable);

[[noreturn]] void stop(std::size_t index) {
    char name[128];
    commandNameOf(kUnavailable[index], name, sizeof name);
    runtimeError("%s is not available on Linux", name);
}

// One function per command, so that each knows its name. Compiled code
// calls it with the command's arguments, which it never reads: it never
// returns either, so whatever it was passed stays on the discarded stack.
template <std::size_t I> void QXCALL stub() { stop(I); }

template <std::size_t... I> std::array<QXSymbol, kCount> makeTable(std::index_sequence<I...>) {
    return {QXSymbol{kUnavailable[I], reinterpret_cast<void*>(&stub<I>), "v"}...};
}

const std::array<QXSymbol, kCount> symbols = makeTable(std::make_index_sequence<kCount>());
// Filed first (the core group), so that a stub also stands in for a command
// built for shared code yet left unavailable (the registry keeps the first
// entry of a signature).
const QXSymbolTable table(QXLinkGroup::Core, symbols.data(), symbols.size());

}  // namespace

void commandNameOf(const char* signature, char* name, std::size_t capacity) {
    const char* p = signature;
    if (*p && *p != '_' && !std::strchr("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", *p)) ++p;
    std::size_t n = 0;
    while (p[n] && n + 1 < capacity &&
           std::strchr("_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", p[n]))
        ++n;
    std::memcpy(name, p, n);
    name[n] = 0;
}

bool unavailableOnLinux(const char* signature) {
    for (const char* entry : kUnavailable)
        if (std::strcmp(entry, signature) == 0) return true;
    return false;
}

std::size_t unavailableCount() { return kCount; }
