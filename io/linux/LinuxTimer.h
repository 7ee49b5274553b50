#pragma once
// The Linux timer: a thread of its own that sleeps to each next tick on the
// monotonic clock (absolute deadlines, so the rate does not drift), counts
// it and hands it to the event driver, which raises the timer-tick event
// (data = the count, source = the timer) on the program thread, or drops it
// once the timer's id no longer resolves.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "io/QXTimer.h"

class LinuxTimer final : public QXTimer {
public:
    // Not ticking yet: start() begins.
    explicit LinuxTimer(int periodMs);
    ~LinuxTimer() override;

    // Starts the tick thread; false when no thread (or no source id) can be had.
    bool start();
    // Stops ticking before anything else goes: once it returns, the thread
    // has ended, so no tick runs on a timer being destroyed.
    void destroy() override;

    int ticks() override;
    void reset() override;
    void pause(bool flag) override;

private:
    void run();
    void stop();
    void dropTickId();

    const int periodMs_;
    std::atomic<int> count_{0};
    bool stopped_ = false;  // its own paused state
    std::uint32_t tickId_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;  // under mutex_: the thread is to end
};
