// Included ahead of GoogleTest's own sources (tests/CMakeLists.txt): built
// single-threaded on Windows, GoogleTest leaves out the handle owner its death
// tests use, which otherwise comes with its threading support.
#pragma once

#include <windows.h>

namespace testing::internal {

class AutoHandle {
public:
    typedef void* Handle;
    AutoHandle() = default;
    explicit AutoHandle(Handle handle) : handle_(handle) {}
    ~AutoHandle() { Reset(); }
    AutoHandle(const AutoHandle&) = delete;
    AutoHandle& operator=(const AutoHandle&) = delete;

    Handle Get() const { return handle_; }
    void Reset() { Reset(INVALID_HANDLE_VALUE); }
    void Reset(Handle handle) {
        if (handle_ != handle && handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace testing::internal
