#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <windows.h>
#include <tlhelp32.h>

#include "TestSupport.h"
#include "runtime/QXRuntime.h"

RecordingDebugger& testDebugger() {
    static RecordingDebugger debugger;
    return debugger;
}

std::optional<std::string> runtimeErrorOf(const std::function<void()>& body) {
    testDebugger().lastError.clear();
    bool ended = runUntilEnd([](void* b) { (*static_cast<const std::function<void()>*>(b))(); },
                             const_cast<std::function<void()>*>(&body));
    if (!ended) return std::nullopt;
    return testDebugger().lastError;
}

int processThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

int main(int argc, char** argv) {
    // --threads-at-exit: report how many threads the process has before the
    // tests and after them, as it is about to exit (ProcessExit tests).
    bool threadsAtExit = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--threads-at-exit") == 0) threadsAtExit = true;
    }
    const int threadsAtStart = processThreadCount();
    setCurrentDebugger(&testDebugger());
    // A broken invariant ends the run at once with the message, never with a box.
    setInternalErrorHook([](const char* message) {
        std::fprintf(stderr, "internal error: %s\n", message);
        std::fflush(stderr);
        std::_Exit(3);
    });
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (threadsAtExit) std::printf("threads: %d at start, %d at exit\n", threadsAtStart, processThreadCount());
    return result;
}
