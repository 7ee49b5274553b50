// CallDLL: a library function named at run time, called with the blocks of
// an input bank and an output bank.

#include "io/QXCallDLL.h"

#include <windows.h>

#include "core/QXString.h"
#include "io/QXBank.h"

void* QXDllCache::find(const std::string& library, const std::string& function) {
    auto cached = libraries_.find(library);
    if (cached == libraries_.end()) {
        void* handle = load_(library.c_str());
        if (!handle) return nullptr;
        cached = libraries_.emplace(library, Library{handle, {}}).first;
    }
    auto& functions = cached->second.functions;
    auto known = functions.find(function);
    if (known != functions.end()) return known->second;
    void* address = lookup_(cached->second.handle, function.c_str());
    if (address) functions.emplace(function, address);
    return address;
}

std::size_t QXDllCache::functionCount(const std::string& library) const {
    auto cached = libraries_.find(library);
    return cached == libraries_.end() ? 0 : cached->second.functions.size();
}

QXDllCache& dllCache() {
    static QXDllCache cache(
        [](const char* library) -> void* { return LoadLibraryA(library); },
        [](void* library, const char* function) -> void* {
            return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), function));
        });
    return cache;
}

// The target may be stdcall (pops its four arguments) or cdecl (leaves them).
// EBP is preserved by either, so it holds our stack position across the call
// and restoring ESP from it undoes whatever the callee did or did not pop.
extern "C" __attribute__((naked, cdecl)) int
qxCallRestoringStack(void*, const void*, int, void*, int) {
    asm("pushl %ebp\n\t"
        "movl  %esp, %ebp\n\t"
        "pushl 24(%ebp)\n\t"  // outSize
        "pushl 20(%ebp)\n\t"  // out
        "pushl 16(%ebp)\n\t"  // inSize
        "pushl 12(%ebp)\n\t"  // in
        "call  *8(%ebp)\n\t"  // function; its result stays in EAX
        "movl  %ebp, %esp\n\t"
        "popl  %ebp\n\t"
        "ret");
}

namespace {

struct Block {
    void* address = nullptr;
    int size = 0;
};

// Bank 0 means no block; any other handle must be a live bank.
Block blockOf(int bank) {
    if (!bank) return {};
    QXBank* b = checkBank(bank);
    return {b->data, b->size};
}

}  // namespace

int QXCALL CallDLL(QXString* dllName, QXString* funcName, int inBank, int outBank) {
    void* function = dllCache().find(stringCText(dllName), stringCText(funcName));
    if (!function) return -1;
    Block in = blockOf(inBank);
    Block out = blockOf(outBank);
    return qxCallRestoringStack(function, in.address, in.size, out.address, out.size);
}

namespace {
const QXSymbol commands[] = {
    QX_COMMAND("%CallDLL$dll_name$func_name%in_bank=0%out_bank=0", CallDLL),
};
}  // namespace
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
