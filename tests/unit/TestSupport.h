#pragma once
// Support for in-process tests: a debugger that records what it receives and
// a way to observe runtime errors without a message box.

#include <cfloat>
#include <functional>
#include <stdexcept>
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

// The number of threads the test process has now.
int processThreadCount();

// Runs `body`; returns the message of the runtime error that ended it, or
// nothing when it returned normally.
std::optional<std::string> runtimeErrorOf(const std::function<void()>& body);

// A registered command as compiled code calls it, looked up by its signature:
//     auto peekByte = command<int(QXCALL*)(int, int)>("%PeekByte%bank%offset");
// A missing signature fails the test that asked for it.
template <class Fn> Fn command(const char* signature) {
    const QXSymbol* symbol = findRegisteredSymbol(signature);
    if (!symbol) throw std::runtime_error(std::string("not registered: ") + signature);
    return reinterpret_cast<Fn>(symbol->address);
}

// The x87 state of a running program for the lifetime of the object:
// 24-bit precision, every exception masked.
class ProgramFpuState {
public:
    ProgramFpuState() : saved_(_control87(0, 0)) { _control87(0xA001F, 0xFFFFF); }
    ~ProgramFpuState() { _control87(saved_, 0xFFFFF); }
    ProgramFpuState(const ProgramFpuState&) = delete;
    ProgramFpuState& operator=(const ProgramFpuState&) = delete;

private:
    unsigned saved_;
};
