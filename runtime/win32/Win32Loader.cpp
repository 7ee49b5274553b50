// The stand-alone loader: links the module stored in resource 1111 of the
// running program against the symbol registry.

#include <windows.h>

#include <string>

#include "runtime/QXLinkKey.h"
#include "runtime/QXModuleImage.h"
#include "runtime/QXRuntime.h"

namespace {
constexpr int kModuleResourceId = 1111;

[[noreturn]] void loaderFailure(const std::string& message) {
    MessageBoxA(nullptr, message.c_str(), "Unable to run Quelt Basic module", MB_OK);
    ExitProcess(static_cast<UINT>(-1));
}

QXLinkTable buildRuntimeTable() {
    Runtime* runtime = runtimeGetRuntime();
    QXLinkTable table;
    while (const char* signature = runtime->nextSym())
        table.add(signature, static_cast<std::uint32_t>(runtime->symValue(signature)));
    return table;
}
}  // namespace

void* loadModule() {
    auto runtimeTable = buildRuntimeTable();
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(self, MAKEINTRESOURCEA(kModuleResourceId), MAKEINTRESOURCEA(10));
    if (!resource) loaderFailure("Can't find resource");
    HGLOBAL loaded = LoadResource(self, resource);
    if (!loaded) loaderFailure("Can't load resource");
    const void* data = LockResource(loaded);
    if (!data) loaderFailure("Can't lock resource");
    DWORD size = SizeofResource(self, resource);

    auto resolve = [&](std::string_view name) { return runtimeTable.find(name); };
    auto allocate = [](std::size_t bytes) {
        return static_cast<std::uint8_t*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    };
    QXImageLinkResult result = linkModuleImage(static_cast<const std::uint8_t*>(data), size, resolve, allocate);
    if (!result.ok()) loaderFailure(result.error);
    return result.codeBase;
}
