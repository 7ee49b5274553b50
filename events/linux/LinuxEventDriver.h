#pragma once
// The Linux event driver. A timer's thread hands its tick in (any thread),
// and the program thread turns it into the timer-tick event when it next
// waits or polls, or drops it when the id no longer names a source. Window
// input comes from the input poll that the screen driver installs while it
// has a window: the driver polls it on every wait, and in short steps while
// a wait lasts.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "events/QXEventDriver.h"

class LinuxEventDriver : public QXEventDriver {
public:
    LinuxEventDriver();

    // A new program starts with empty queues and state; registers as the driver.
    bool startup() override;
    void shutdown() override;
    // Waits (negative: without limit, 0: not at all) until a tick has come
    // in, then raises the events of every tick waiting.
    void wait(int timeoutMs) override;

    // Any thread: the source `sourceId` (QXSourceIds) ticked for the `count`th time.
    void postTick(std::uint32_t sourceId, int count);

    // Raises the events of the input that has arrived; true when it raised any.
    using InputPoll = bool (*)();
    // The program thread; null when no window is left.
    void setInputPoll(InputPoll poll) { inputPoll_ = poll; }

private:
    struct Tick {
        std::uint32_t sourceId;
        int count;
    };
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Tick> inbox_;    // filled by the timers' threads
    std::vector<Tick> handing_;  // the program thread's copy while it raises events
    InputPoll inputPoll_ = nullptr;

    // Waits for a tick; true when one is waiting.
    bool waitForTick(int timeoutMs);
    void raiseTicks();
};

extern LinuxEventDriver theLinuxEventDriver;
