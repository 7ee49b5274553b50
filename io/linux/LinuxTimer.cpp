#include "io/linux/LinuxTimer.h"

#include <chrono>
#include <system_error>

#include "events/QXSourceIds.h"
#include "events/linux/LinuxEventDriver.h"

LinuxTimer::LinuxTimer(int periodMs) : periodMs_(periodMs) {}

LinuxTimer::~LinuxTimer() {
    stop();
    dropTickId();
}

bool LinuxTimer::start() {
    if (thread_.joinable()) return true;
    if (!tickId_) tickId_ = sourceIds().add(this);
    if (!tickId_) return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = false;
    }
    try {
        thread_ = std::thread(&LinuxTimer::run, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

// The tick thread: touches nothing but the count and the driver's inbox.
void LinuxTimer::run() {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(periodMs_);
    auto next = Clock::now() + period;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (wake_.wait_until(lock, next, [this] { return quit_; })) return;
        const int count = count_.fetch_add(1, std::memory_order_relaxed) + 1;
        theLinuxEventDriver.postTick(tickId_, count);
        next += period;
        // Far behind (the machine was suspended, say): no burst of stale ticks.
        const auto now = Clock::now();
        if (next + period * 10 < now) next = now + period;
    }
}

void LinuxTimer::stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void LinuxTimer::destroy() {
    stop();
    dropTickId();
    QXTimer::destroy();
}

void LinuxTimer::dropTickId() {
    sourceIds().remove(tickId_);
    tickId_ = 0;
}

int LinuxTimer::ticks() { return count_.load(std::memory_order_relaxed); }

void LinuxTimer::reset() {
    count_.store(0, std::memory_order_relaxed);
    QXTimer::reset();
}

void LinuxTimer::pause(bool flag) {
    if (flag == stopped_) return;
    if (flag) {
        stop();
        stopped_ = true;
    } else {
        // A timer that cannot be restarted stays paused, so that WaitTimer
        // reports it rather than waiting for ticks that never come.
        stopped_ = !start();
    }
    QXTimer::pause(stopped_);
}
