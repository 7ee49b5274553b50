#pragma once
// Ids for event sources that are named across a message queue (a timer's
// ticks are posted from another thread and taken by the pump later). An id
// carries a generation: once its source is gone, the id never resolves again,
// even when a new source takes the same slot or the same address, so
// messages still on their way for it are simply dropped. Program thread only.

#include <cstdint>

class QXEventSource;

class QXSourceIds {
public:
    static constexpr unsigned kIndexBits = 20;  // up to about a million sources at once

    constexpr QXSourceIds() = default;
    ~QXSourceIds();
    QXSourceIds(const QXSourceIds&) = delete;
    QXSourceIds& operator=(const QXSourceIds&) = delete;

    // A new id (never 0) for `source`; 0 when the table cannot grow.
    std::uint32_t add(QXEventSource* source);
    // The id stops resolving; its slot is reused with the next generation.
    void remove(std::uint32_t id);
    // The source of a current id; null for 0, ids of gone sources and ids never given.
    QXEventSource* find(std::uint32_t id) const;

    std::uint32_t size() const { return used_; }

private:
    struct Slot {
        QXEventSource* source;  // null while free
        std::uint32_t generation;
        std::uint32_t nextFree;  // index + 1 of the next free slot, 0 at the end
    };
    bool grow();

    Slot* slots_ = nullptr;
    std::uint32_t capacity_ = 0;
    std::uint32_t used_ = 0;
    std::uint32_t firstFree_ = 0;  // index + 1, 0 when none
};

// The runtime's table.
QXSourceIds& sourceIds();
