#pragma once
// Streams over memory for native tests and fuzzers of the stream encodings.

#include <algorithm>
#include <cstring>
#include <string>

#include "io/QXStream.h"

// Delivers its bytes at most `chunk` at a time, like a socket.
class MemoryStream : public QXStream {
public:
    explicit MemoryStream(std::string bytes, int chunk = 1 << 30) : bytes_(std::move(bytes)), chunk_(chunk) {}
    // Lives on the stack: its reference is given up, not released.
    ~MemoryStream() override { refCount = 0; }
    int read(void* buffer, int count) override {
        int n = std::min({count, chunk_, static_cast<int>(bytes_.size() - pos_)});
        if (n <= 0) return 0;
        std::memcpy(buffer, bytes_.data() + pos_, static_cast<std::size_t>(n));
        pos_ += static_cast<std::size_t>(n);
        return n;
    }
    int write(const void* buffer, int count) override {
        written.append(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
        return count;
    }
    int avail() override { return static_cast<int>(bytes_.size() - pos_); }
    int eof() override { return pos_ == bytes_.size(); }

    std::string written;

private:
    std::string bytes_;
    std::size_t pos_ = 0;
    int chunk_;
};
