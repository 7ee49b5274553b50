#pragma once
// A lock for short sections shared by two threads that never makes a system
// object. The thread library behind std::mutex here (winpthreads) creates an
// event the first time two threads meet on a mutex and keeps it for the
// mutex's life, so a long run sees one more handle appear at a moment that
// depends on timing alone. A waiter yields its processor until the lock is free.

#include <atomic>
#include <thread>

class QXSpinLock {
public:
    void lock() {
        while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    bool try_lock() { return !flag_.test_and_set(std::memory_order_acquire); }
    void unlock() { flag_.clear(std::memory_order_release); }

private:
    std::atomic_flag flag_;  // clear from construction on (C++20)
};
