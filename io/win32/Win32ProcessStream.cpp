#include "io/win32/Win32ProcessStream.h"

#include "io/QXProcess.h"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
struct Pipe {
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;

    bool create() {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        return CreatePipe(&readEnd, &writeEnd, &inheritable, 0) != 0;
    }
    void close() {
        closeEnd(readEnd);
        closeEnd(writeEnd);
    }
    static void closeEnd(HANDLE& end) {
        if (end) CloseHandle(end);
        end = nullptr;
    }
};

// The ends the runtime keeps must not be inherited: a child holding the
// write end of its own input would never see that input end, and a later
// child holding an earlier child's ends would keep that child's pipes open.
void keepInRuntime(HANDLE end) { SetHandleInformation(end, HANDLE_FLAG_INHERIT, 0); }

// CreateProcessA may write into the command line it is given.
char* writableCopy(const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy) std::memcpy(copy, text, size);
    return copy;
}

bool startChild(const char* commandLine, HANDLE input, HANDLE output, PROCESS_INFORMATION& info) {
    char* line = writableCopy(commandLine);
    if (!line) return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
    const BOOL started =
        CreateProcessA(nullptr, line, nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup, &info);
    std::free(line);
    return started != 0;
}
}  // namespace

ProcStream* ProcStream::start(const char* commandLine) {
    Pipe output;  // the child writes, the runtime reads
    Pipe input;   // the runtime writes, the child reads
    if (!output.create()) return nullptr;
    if (!input.create()) {
        output.close();
        return nullptr;
    }
    keepInRuntime(output.readEnd);
    keepInRuntime(input.writeEnd);
    PROCESS_INFORMATION info = {};
    const bool started = startChild(commandLine ? commandLine : "", input.readEnd, output.writeEnd, info);
    // The child has its own copies now; the runtime's would keep the pipes open.
    Pipe::closeEnd(output.writeEnd);
    Pipe::closeEnd(input.readEnd);
    if (!started) {
        output.close();
        input.close();
        return nullptr;
    }
    const Child child = {info.hProcess, info.hThread, info.dwProcessId, info.dwThreadId};
    auto* stream = new (std::nothrow) ProcStream(child, output.readEnd, input.writeEnd);
    if (!stream) {
        output.close();
        input.close();
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    return stream;
}

ProcStream::ProcStream(const Child& child, void* output, void* input) : child_(child), output_(output), input_(input) {}

ProcStream::~ProcStream() {
    CloseHandle(output_);
    CloseHandle(input_);
    // The child goes on running; only our handles to it go.
    CloseHandle(child_.process);
    CloseHandle(child_.thread);
}

void ProcStream::recordFailure(unsigned long error) {
    // The child closed its end or ended: reading reports a broken pipe,
    // writing a pipe that is being closed.
    state_ = error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA ? kClosedByChild : kFailed;
}

int ProcStream::readPipe(void* buffer, int count) {
    if (state_ != kOpen) return 0;
    DWORD got = 0;
    if (!ReadFile(output_, buffer, static_cast<DWORD>(count), &got, nullptr)) {
        recordFailure(GetLastError());
        return 0;
    }
    return static_cast<int>(got);
}

int ProcStream::pipeAvail() {
    if (state_ != kOpen) return 0;
    DWORD waiting = 0;
    if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &waiting, nullptr)) {
        recordFailure(GetLastError());
        return 0;
    }
    return waiting > INT_MAX ? INT_MAX : static_cast<int>(waiting);
}

void ProcStream::fillBuffer() { readAhead_.filled(readPipe(readAhead_.space(), QXReadAhead::kSize)); }

int ProcStream::read(void* buffer, int count) {
    if (count <= 0) return 0;
    auto* bytes = static_cast<char*>(buffer);
    int delivered = readAhead_.take(bytes, count);
    if (delivered == count || state_ != kOpen) return delivered;
    // Like a read of the pipe itself, only the first byte is waited for.
    if (delivered > 0 && pipeAvail() == 0) return delivered;
    const int rest = count - delivered;
    if (rest >= QXReadAhead::kSize) return delivered + readPipe(bytes + delivered, rest);
    fillBuffer();
    return delivered + readAhead_.take(bytes + delivered, rest);
}

int ProcStream::write(const void* buffer, int count) {
    if (state_ != kOpen || count <= 0) return 0;
    DWORD written = 0;
    if (!WriteFile(input_, buffer, static_cast<DWORD>(count), &written, nullptr)) {
        recordFailure(GetLastError());
        return 0;
    }
    return static_cast<int>(written);
}

int ProcStream::avail() {
    return readAhead_.plus(pipeAvail());
}

int ProcStream::eof() {
    // Output already received is still to come, whatever the pipe says.
    if (readAhead_.buffered() > 0) return 0;
    if (state_ == kOpen) pipeAvail();  // notices a broken pipe
    return state_;
}

QXStream* startProcessStream(const char* commandLine) { return ProcStream::start(commandLine); }
