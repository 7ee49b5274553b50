#include <gtest/gtest.h>

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
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
