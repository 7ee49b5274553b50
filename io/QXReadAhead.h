#pragma once
// Bytes a stream received ahead of what its reader asked for, so that
// byte-at-a-time readers (ReadLine) cost one system read per buffer, not per byte.

#include <climits>
#include <cstring>

class QXReadAhead {
public:
    static constexpr int kSize = 4096;

    int buffered() const { return end_ - start_; }
    // Moves up to `count` buffered bytes to `out`; returns how many.
    int take(char* out, int count) {
        int taken = count < buffered() ? count : buffered();
        std::memcpy(out, bytes_ + start_, static_cast<std::size_t>(taken));
        start_ += taken;
        return taken;
    }
    // Where a refill of up to kSize bytes goes; `filled` records how many came.
    char* space() { return bytes_; }
    void filled(int count) {
        start_ = 0;
        end_ = count > 0 ? count : 0;
    }
    void clear() { start_ = end_ = 0; }
    // The buffered bytes plus `more` still waiting in the system, saturated.
    int plus(int more) const { return more > INT_MAX - buffered() ? INT_MAX : buffered() + more; }

private:
    char bytes_[kSize];
    int start_ = 0;
    int end_ = 0;
};
