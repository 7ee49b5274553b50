#pragma once
// Support for in-process tests: a debugger that records what it receives and
// a way to observe runtime errors without a message box.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/QXDebugger.h"
#include "runtime/QXRegistry.h"

class RecordingDebugger : public QXDebugger {
public:
    void debugRun() override { events.push_back("run"); }
    void debugStop() override { events.push_back("stop"); }
    void debugLog(const char* text) override { log.push_back(text); }
    void debugError(const char* text, int fatal) override {
        events.push_back("error(" + std::to_string(fatal) + "): " + text);
        lastError = text;
    }
    std::vector<std::string> events;
    std::vector<std::string> log;
    std::string lastError;
};

// The recording debugger every unit test runs under (installed by main).
RecordingDebugger& testDebugger();

// Runs `body`; returns the message of the runtime error that ended it, or
// nothing when it returned normally.
std::optional<std::string> runtimeErrorOf(const std::function<void()>& body);

// A registered command as compiled code calls it, looked up by its signature:
//     auto peekByte = command<int(QXCALL*)(int, int)>("%PeekByte%bank%offset");
template <class Fn> Fn command(const char* signature) {
    const QXSymbol* symbol = findRegisteredSymbol(signature);
    return symbol ? reinterpret_cast<Fn>(symbol->address) : nullptr;
}
