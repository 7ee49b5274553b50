#include "events/QXEventQueue.h"

bool QXEventQueue::append(const QXEvent& event) {
    if (full()) return false;
    slot(put_) = event;
    ++put_;
    return true;
}

QXEvent* QXEventQueue::find(int id, int source) {
    for (std::uint32_t n = get_; n != put_; ++n) {
        QXEvent& entry = slot(n);
        if (entry.id == id && entry.source == source) return &entry;
    }
    return nullptr;
}

bool flushMatches(const QXEvent& event, int kind, int source) {
    if (source != 0 && event.source != source) return false;
    auto mask = static_cast<std::uint32_t>(kind == -1 ? static_cast<int>(0xFFFFFF00u) : kind);
    auto id = static_cast<std::uint32_t>(event.id);
    if ((mask & 0xFF) == 0) return (id & mask) != 0;
    return id == mask;
}

std::uint32_t QXEventQueue::flush(int kind, int source) {
    // Kept entries are re-appended from the old put on; with at most 256
    // entries a copy never lands on an entry not yet examined.
    const std::uint32_t oldPut = put_;
    std::uint32_t newPut = oldPut;
    for (std::uint32_t n = get_; n != oldPut; ++n) {
        if (!flushMatches(slot(n), kind, source)) slot(newPut++) = slot(n);
    }
    std::uint32_t removed = count() - (newPut - oldPut);
    get_ = oldPut;
    put_ = newPut;
    return removed;
}

QXEventQueue& mainQueue() {
    static constinit QXEventQueue queue;
    return queue;
}

QXEventQueue& tickQueue() {
    static constinit QXEventQueue queue;
    return queue;
}
