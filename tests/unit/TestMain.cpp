#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

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

int main(int argc, char** argv) {
    setCurrentDebugger(&testDebugger());
    // A broken invariant ends the run at once with the message, never with a box.
    setInternalErrorHook([](const char* message) {
        std::fprintf(stderr, "internal error: %s\n", message);
        std::fflush(stderr);
        std::_Exit(3);
    });
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
