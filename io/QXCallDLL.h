#pragma once
// CallDLL: calling a function of a dynamic-link library named at run time,
// exchanging data with it through two banks.

#include <cstddef>
#include <map>
#include <string>

#include "runtime/QXRegistry.h"

// Libraries and functions found so far, by exact (case-sensitive) name. Entries
// are never removed and their libraries never freed.
class QXDllCache {
public:
    using LoadFn = void* (*)(const char* library);
    using LookupFn = void* (*)(void* library, const char* function);

    QXDllCache(LoadFn load, LookupFn lookup) : load_(load), lookup_(lookup) {}

    // The function's address, loading and looking up only what is not cached
    // yet; null when the library or the function cannot be found (nothing is
    // cached for what was not found).
    void* find(const std::string& library, const std::string& function);

    std::size_t libraryCount() const { return libraries_.size(); }
    // Cached functions of a cached library (0 for an unknown library).
    std::size_t functionCount(const std::string& library) const;

private:
    struct Library {
        void* handle;
        std::map<std::string, void*> functions;
    };
    LoadFn load_;
    LookupFn lookup_;
    std::map<std::string, Library> libraries_;
};

// The cache CallDLL uses, over the system's loader.
QXDllCache& dllCache();

// Calls function(in, inSize, out, outSize) and puts the stack back where it
// was, so that targets that pop their arguments and targets that leave them
// to the caller both return safely. Returns the function's 32-bit result.
extern "C" int __attribute__((cdecl))
qxCallRestoringStack(void* function, const void* in, int inSize, void* out, int outSize);

int QXCALL CallDLL(QXString* dllName, QXString* funcName, int inBank, int outBank);
