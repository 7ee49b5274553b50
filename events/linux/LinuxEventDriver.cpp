#include "events/linux/LinuxEventDriver.h"

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

void LinuxEventDriver::wait(int timeoutMs) {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        auto waiting = [this] { return !inbox_.empty(); };
        if (timeoutMs < 0)
            arrived_.wait(lock, waiting);
        else if (timeoutMs > 0)
            arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), waiting);
        handing_.swap(inbox_);
    }
    // Events are raised with the lock let go and no local object alive
    // (raising may end the program, QXError.h).
    for (const Tick& tick : handing_)
        if (QXEventSource* source = sourceIds().find(tick.sourceId))
            postEvent(EVENT_TIMERTICK, tick.count, 0, 0, 0, handleOf(source));
    handing_.clear();
}
