#pragma once
// User libraries: dynamic-link libraries declared to the compiler, whose
// functions compiled code calls directly through slots in its data. At start
// the program hands `_qxLoadLibs` a table that names each library and, for each
// function, the slot that receives its address:
//
//     library name \0  { function name \0  slot address (4 bytes, little-endian) }  \0
//     ... further libraries ...
//     \0                                    (where the next library name would begin)

#include <optional>
#include <string>
#include <vector>

#include "runtime/QXModule.h"
#include "runtime/QXRegistry.h"

// What binding needs from the system: opening a library and finding a function in it.
class QXUserLibBinder {
public:
    virtual ~QXUserLibBinder() = default;
    // The opened library, or null when it cannot be loaded.
    virtual void* openLibrary(const char* name) = 0;
    // The function's address, or null when the library lacks it.
    virtual void* findFunction(void* library, const char* name) = 0;
};

// Walks the table, storing in every slot the function's address or the stub
// that reports why it is missing. Opens each library once, in table order.
void bindUserLibs(const unsigned char* table, QXUserLibBinder& binder);

// Stubs that missing libraries and functions are bound to. Compiled code calls
// them with whatever arguments it has; they never return.
[[noreturn]] void missingUserLibStub();
[[noreturn]] void missingUserLibFunctionStub();

// The fallback path of a library beneath `queltpath`, or nothing when it would
// not fit into 259 characters.
std::optional<std::string> userLibFallbackPath(const std::string& queltpath, const char* library);

// The value of the environment variable `queltpath`; nothing when absent or empty.
std::optional<std::string> queltPath();

// Keeps the libraries that `_qxLoadLibs` loaded and frees them when it stops,
// the most recently loaded first.
class QXUserLibs : public QXModule {
public:
    explicit QXUserLibs(QXModuleList& list = moduleList());
    void shutdown() override;

    void addLibrary(void* library) { libraries_.push_back(library); }
    const std::vector<void*>& libraries() const { return libraries_; }

private:
    std::vector<void*> libraries_;  // in load order
};

// The runtime's instance.
QXUserLibs& userLibs();

// Binds the table with the system's loader, recording each library loaded in `libs`.
void loadUserLibs(const unsigned char* table, QXUserLibs& libs);

// The entry point compiled code calls once at start with its table.
void QXCALL _qxLoadLibs(const unsigned char* table);
