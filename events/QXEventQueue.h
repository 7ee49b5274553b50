#pragma once
// A ring of 256 events with free-running put and get counters: the slot of
// counter value n is n mod 256. Nothing is allocated on append or take.

#include <cstdint>

#include "events/QXEvent.h"

class QXEventQueue {
public:
    static constexpr std::uint32_t kCapacity = 256;

    // Both counters start at `start` (0 for the runtime's queues).
    constexpr explicit QXEventQueue(std::uint32_t start = 0) : put_(start), get_(start) {}

    std::uint32_t count() const { return put_ - get_; }
    bool empty() const { return put_ == get_; }
    bool full() const { return count() == kCapacity; }

    // Appends at put; a full queue drops the new event (false) and keeps what it holds.
    bool append(const QXEvent& event);
    // Only valid when not empty.
    const QXEvent& oldest() const { return slot(get_); }
    QXEvent& newest() { return slot(put_ - 1); }
    void removeOldest() { ++get_; }
    // The first entry, from get to put, with this id and source; null when none.
    QXEvent* find(int id, int source);

    // Removes the entries matching `kind` and `source` and keeps the others in
    // their order. kind -1 means every event; a kind whose low byte is 0 is a
    // class mask, any other kind one exact id; source 0 means any source.
    // Returns the number removed.
    std::uint32_t flush(int kind, int source);
    void clear() { get_ = put_; }

    std::uint32_t putCount() const { return put_; }
    std::uint32_t getCount() const { return get_; }

private:
    QXEvent& slot(std::uint32_t n) { return slots_[n % kCapacity]; }
    const QXEvent& slot(std::uint32_t n) const { return slots_[n % kCapacity]; }

    QXEvent slots_[kCapacity] = {};
    std::uint32_t put_;
    std::uint32_t get_;
};

// Whether `event` falls under a flush of `kind` and `source` (see flush).
bool flushMatches(const QXEvent& event, int kind, int source);

// The process's two queues: every stored event except timer ticks, and the
// ticks (at most one per source).
QXEventQueue& mainQueue();
QXEventQueue& tickQueue();
