// qxhost: a development host in miniature. It loads runtime.dll, drives the
// Runtime interface as a host does, links module images itself and runs them
// under a debugger that prints what it receives, so errors need no message box.
//
//   qxhost --version | --list | --count | --value SIGNATURE
//     (--version: this package's version, then the Runtime interface's number)
//   qxhost [--runtime DLL] MODULE.qxm [COMMAND LINE...]
//
// Several query options may be given; they run in order.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

#include "QXVersion.h"
#include "runtime/QXLinkKey.h"
#include "runtime/QXModuleImage.h"

// The host's view of the runtime's interfaces: the same slots, declared on
// this side as a host written independently would.
struct HostDebugger {
    virtual void debugRun() { say("debugRun"); }
    virtual void debugStop() { say("debugStop"); }
    virtual void debugStmt(int a, int b) { std::printf("debugStmt %d %d\n", a, b); std::fflush(stdout); }
    virtual void debugEnter(int a, int b, int c) { std::printf("debugEnter %d %d %d\n", a, b, c); std::fflush(stdout); }
    virtual void debugLeave() { say("debugLeave"); }
    virtual void debugLog(const char* text) { std::printf("debugLog: %s\n", text); std::fflush(stdout); }
    virtual void debugError(const char* text, int fatal) {
        std::printf("debugError(%d): %s\n", fatal, text);
        std::fflush(stdout);
    }
    static void say(const char* what) { std::printf("%s\n", what); std::fflush(stdout); }
};

struct RuntimeInterface {
    virtual int version() = 0;
    virtual const char* nextSym() = 0;
    virtual int symValue(const char* signature) = 0;
    virtual void startup(void* instance) = 0;
    virtual void shutdown() = 0;
    virtual void reserved1() = 0;
    virtual void reserved2() = 0;
    virtual void reserved3() = 0;
    virtual void reserved4(int value) = 0;
    virtual void execute(void* entry, const char* commandLine, HostDebugger* debugger) = 0;
};

using GetRuntime = RuntimeInterface* (*)();

// Outside any anonymous namespace: the runtime implements RuntimeInterface in
// another image, which the optimiser must not assume away.
namespace {

int listRegistry(RuntimeInterface* runtime, bool print) {
    int count = 0;
    while (const char* signature = runtime->nextSym()) {
        if (print) std::printf("%s\n", signature);
        ++count;
    }
    return count;
}

int runModule(RuntimeInterface* runtime, const char* file, const std::string& commandLine) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "qxhost: cannot read %s\n", file);
        return 2;
    }
    std::vector<unsigned char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    QXLinkTable runtimeTable;
    while (const char* signature = runtime->nextSym())
        runtimeTable.add(signature, static_cast<std::uint32_t>(runtime->symValue(signature)));
    auto resolve = [&](std::string_view name) { return runtimeTable.find(name); };
    auto allocate = [](std::size_t bytes) {
        return static_cast<std::uint8_t*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    };
    QXImageLinkResult linked = linkModuleImage(image.data(), image.size(), resolve, allocate);
    if (!linked.ok()) {
        std::printf("link error: %s\n", linked.error.c_str());
        std::fflush(stdout);
        return 3;
    }
    static HostDebugger debugger;
    runtime->execute(linked.codeBase, commandLine.c_str(), &debugger);
    std::printf("execute returned\n");
    std::fflush(stdout);
    runtime->shutdown();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* dll = "runtime.dll";
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "--runtime") == 0) {
        dll = argv[i + 1];
        i += 2;
    }
    HMODULE library = LoadLibraryA(dll);
    if (!library) {
        std::fprintf(stderr, "qxhost: cannot load %s\n", dll);
        return 2;
    }
    auto getRuntime = reinterpret_cast<GetRuntime>(reinterpret_cast<void*>(GetProcAddress(library, "runtimeGetRuntime")));
    if (!getRuntime) {
        std::fprintf(stderr, "qxhost: %s does not export runtimeGetRuntime\n", dll);
        return 2;
    }
    RuntimeInterface* runtime = getRuntime();
    runtime->startup(library);
    if (i >= argc) {
        std::fprintf(stderr, "usage: qxhost [--runtime DLL] (--version | --list | --count | --value SIG)... | MODULE [ARGS]\n");
        return 2;
    }
    if (argv[i][0] != '-' || argv[i][1] != '-') {
        std::string commandLine;
        for (int a = i + 1; a < argc; ++a) commandLine += (a > i + 1 ? " " : "") + std::string(argv[a]);
        return runModule(runtime, argv[i], commandLine);
    }
    for (; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--version") {
            std::printf("qxhost %s\nversion %d\n", QX_VERSION, runtime->version());
        } else if (option == "--list") {
            listRegistry(runtime, true);
        } else if (option == "--count") {
            std::printf("count %d\n", listRegistry(runtime, false));
        } else if (option == "--value" && i + 1 < argc) {
            // A lookup is valid during an enumeration: start one, look up, finish it.
            const char* first = runtime->nextSym();
            int value = runtime->symValue(argv[++i]);
            if (first) listRegistry(runtime, false);
            std::printf("value %s %s\n", argv[i], value == -1 ? "-1" : "found");
        } else if (option == "--shutdown") {
            runtime->shutdown();
        } else {
            std::fprintf(stderr, "qxhost: unknown option %s\n", option.c_str());
            return 2;
        }
    }
    std::fflush(stdout);
    return 0;
}
