#pragma once
// Holds a device that asks for sound faster than it plays to real time. A
// sound card asks at its own pace, a period at a time; ALSA's null device, or
// a file written through it, never blocks, and its consumer would spin a core
// and race through every sound. Each request's frames are due at the time
// real-time playing from the first request reaches them; a request may come
// up to `ahead` frames early (a card's own buffer), beyond that the caller
// waits. A consumer that fell behind (stalled) is not let to catch up in a
// burst: the clock moves on with it. Real time here is the system's clock
// with 0.5 % to spare, so a card whose own clock runs a little fast is never
// held and never runs dry for it.

#include <cstdint>

class QXOutputPace {
public:
    QXOutputPace(int rate, int aheadFrames) : rate_(rate > 0 ? rate : 1), ahead_(toMicros(aheadFrames)) {}

    // Microseconds to wait before handing out the next `frames`, at `nowUs`.
    std::int64_t delayBefore(std::int64_t nowUs, int frames) {
        if (!started_) {
            originUs_ = nowUs;
            started_ = true;
        }
        const std::int64_t dueUs = originUs_ + dueMicros(consumed_);
        std::int64_t delay = 0;
        if (dueUs - nowUs > ahead_)
            delay = dueUs - nowUs - ahead_;
        else if (nowUs - dueUs > ahead_)
            originUs_ = nowUs - dueMicros(consumed_);
        consumed_ += frames > 0 ? frames : 0;
        return delay;
    }

private:
    std::int64_t toMicros(std::int64_t frames) const { return frames * 1000000 / rate_; }
    // In floating point: frames times a million overflows 64 bits within
    // weeks of playing; a double keeps microseconds for centuries.
    std::int64_t dueMicros(std::int64_t frames) const {
        return static_cast<std::int64_t>(static_cast<double>(frames) * 1e6 / (static_cast<double>(rate_) * 1.005));
    }

    std::int64_t rate_;
    std::int64_t ahead_;
    std::int64_t originUs_ = 0;
    std::int64_t consumed_ = 0;
    bool started_ = false;
};
