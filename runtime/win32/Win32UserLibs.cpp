// User libraries: binding the functions that a program declared in advance
// to their addresses, and freeing their libraries when the program ends.

#include "runtime/QXUserLibs.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "runtime/QXError.h"

namespace {

// Longest path LoadLibraryA is handed (MAX_PATH less the terminator).
constexpr std::size_t kMaxPathLength = 259;

void* stubAddress(void (*stub)()) { return reinterpret_cast<void*>(stub); }

// Reads the C text at `cursor` and moves the cursor past its terminator.
const char* takeText(const unsigned char*& cursor) {
    const char* text = reinterpret_cast<const char*>(cursor);
    cursor += std::strlen(text) + 1;
    return text;
}

// The slot address follows its function name; neither it nor the slot need be aligned.
void storeInSlot(const unsigned char*& cursor, void* target) {
    std::uint32_t slot;
    std::memcpy(&slot, cursor, sizeof slot);
    cursor += sizeof slot;
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(slot)), &target, sizeof target);
}

// Opens libraries the way the system searches, then beneath `queltpath`, and
// records each one loaded so that the module frees it at the end.
class SystemBinder final : public QXUserLibBinder {
public:
    explicit SystemBinder(QXUserLibs& libs) : libs_(libs), queltpath_(queltPath()) {}

    void* openLibrary(const char* name) override {
        HMODULE library = LoadLibraryA(name);
        if (!library && queltpath_) {
            if (std::optional<std::string> path = userLibFallbackPath(*queltpath_, name))
                library = LoadLibraryA(path->c_str());
        }
        if (library) libs_.addLibrary(library);
        return library;
    }

    void* findFunction(void* library, const char* name) override {
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
    }

private:
    QXUserLibs& libs_;
    std::optional<std::string> queltpath_;  // read once per table
};

}  // namespace

void missingUserLibStub() { runtimeError("User lib not found"); }
void missingUserLibFunctionStub() { runtimeError("User lib function not found"); }

void bindUserLibs(const unsigned char* table, QXUserLibBinder& binder) {
    if (!table) return;
    const unsigned char* cursor = table;
    while (*cursor) {
        void* library = binder.openLibrary(takeText(cursor));
        while (*cursor) {
            const char* function = takeText(cursor);
            void* target = stubAddress(missingUserLibStub);
            if (library) {
                target = binder.findFunction(library, function);
                if (!target) target = stubAddress(missingUserLibFunctionStub);
            }
            storeInSlot(cursor, target);
        }
        ++cursor;  // the 0 that ends this library's functions
    }
}

std::optional<std::string> userLibFallbackPath(const std::string& queltpath, const char* library) {
    std::string path = queltpath + "/userlibs/" + library;
    if (path.size() > kMaxPathLength) return std::nullopt;
    return path;
}

std::optional<std::string> queltPath() {
    DWORD needed = GetEnvironmentVariableA("queltpath", nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::string value(needed, '\0');
    DWORD length = GetEnvironmentVariableA("queltpath", value.data(), needed);
    if (length == 0 || length >= needed) return std::nullopt;  // empty, or changed under us
    value.resize(length);
    return value;
}

// ---------------------------------------------------------------- the module

QXUserLibs::QXUserLibs(QXModuleList& list) : QXModule(list) { registerModule("QXUserLibs", nullptr, nullptr); }

void QXUserLibs::shutdown() {
    while (!libraries_.empty()) {
        FreeLibrary(static_cast<HMODULE>(libraries_.back()));
        libraries_.pop_back();
    }
}

QX_MODULE_INSTANCE(QXUserLibs, 1);

QXUserLibs& userLibs() { return theQXUserLibs; }

void loadUserLibs(const unsigned char* table, QXUserLibs& libs) {
    SystemBinder binder(libs);
    bindUserLibs(table, binder);
}

void QXCALL _qxLoadLibs(const unsigned char* table) { loadUserLibs(table, userLibs()); }

namespace {
const QXSymbol entryPoints[] = {
    QX_COMMAND("_qxLoadLibs", _qxLoadLibs),
};
}  // namespace
QX_REGISTER_SYMBOLS(QXLinkGroup::Core, entryPoints);
