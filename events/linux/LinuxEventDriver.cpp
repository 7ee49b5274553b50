#include "events/linux/LinuxEventDriver.h"

#include <algorithm>
#include <chrono>

#include "events/QXEventFilter.h"
#include "events/QXEventSource.h"
#include "events/QXSourceIds.h"

LinuxEventDriver::LinuxEventDriver() { registerModule("LinuxEventDriver", nullptr, nullptr); }

QX_MODULE_INSTANCE(LinuxEventDriver, 5);

bool LinuxEventDriver::startup() {
    resetEventState();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        inbox_.clear();
    }
    handing_.clear();  // ticks a program that ended while raising them left behind
    setEventDriver(this);
    return true;
}

void LinuxEventDriver::shutdown() {
    if (eventDriver() == this) setEventDriver(nullptr);
    std::lock_guard<std::mutex> lock(mutex_);
    inbox_.clear();
}

void LinuxEventDriver::postTick(std::uint32_t sourceId, int count) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        inbox_.push_back({sourceId, count});
    }
    arrived_.notify_one();
}

bool LinuxEventDriver::waitForTick(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto waiting = [this] { return !inbox_.empty(); };
    if (timeoutMs < 0) arrived_.wait(lock, waiting);
    else if (timeoutMs > 0) arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), waiting);
    return !inbox_.empty();
}

void LinuxEventDriver::raiseTicks() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        handing_.swap(inbox_);
    }
    // Events are raised with the lock let go and no local object alive
    // (raising may end the program, QXError.h).
    for (const Tick& tick : handing_)
        if (QXEventSource* source = sourceIds().find(tick.sourceId))
            postEvent(EVENT_TIMERTICK, tick.count, 0, 0, 0, handleOf(source));
    handing_.clear();
}

void LinuxEventDriver::wait(int timeoutMs) {
    if (!inputPoll_) {
        waitForTick(timeoutMs);
        raiseTicks();
        return;
    }
    // Window input has no descriptor to wait on here: the poll runs at once
    // and then every few milliseconds until something arrives.
    constexpr int kPollStepMs = 2;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        const bool input = inputPoll_ && inputPoll_();
        int step = kPollStepMs;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                    std::chrono::steady_clock::now());
            step = input || timeoutMs == 0 ? 0 : static_cast<int>(std::min<long long>(left.count(), kPollStepMs));
            if (step < 0) step = 0;
        } else if (input) {
            step = 0;
        }
        const bool ticked = waitForTick(step);
        if (ticked) raiseTicks();
        if (input || ticked || step == 0) return;
    }
}
