#include "events/QXSourceIds.h"

#include <cstdlib>

namespace {
constexpr std::uint32_t kIndexMask = (1u << QXSourceIds::kIndexBits) - 1;
constexpr std::uint32_t kMaxSlots = kIndexMask;  // index + 1 must fit the index bits
constexpr std::uint32_t kGenerations = 1u << (32 - QXSourceIds::kIndexBits);
}  // namespace

QXSourceIds::~QXSourceIds() { std::free(slots_); }

bool QXSourceIds::grow() {
    if (capacity_ == kMaxSlots) return false;
    const std::uint32_t wanted = capacity_ == 0 ? 16 : (capacity_ > kMaxSlots / 2 ? kMaxSlots : capacity_ * 2);
    auto* grown = static_cast<Slot*>(std::realloc(slots_, sizeof(Slot) * wanted));
    if (!grown) return false;
    slots_ = grown;
    // New slots join the free list in index order.
    for (std::uint32_t i = capacity_; i < wanted; ++i)
        slots_[i] = {nullptr, 0, i + 1 < wanted ? i + 2 : firstFree_};
    firstFree_ = capacity_ + 1;
    capacity_ = wanted;
    return true;
}

std::uint32_t QXSourceIds::add(QXEventSource* source) {
    if (!source || (firstFree_ == 0 && !grow())) return 0;
    const std::uint32_t index = firstFree_ - 1;
    Slot& slot = slots_[index];
    firstFree_ = slot.nextFree;
    slot.source = source;
    ++used_;
    return (slot.generation << kIndexBits) | (index + 1);
}

QXEventSource* QXSourceIds::find(std::uint32_t id) const {
    const std::uint32_t index = (id & kIndexMask) - 1;
    if ((id & kIndexMask) == 0 || index >= capacity_) return nullptr;
    const Slot& slot = slots_[index];
    return slot.source && slot.generation == id >> kIndexBits ? slot.source : nullptr;
}

void QXSourceIds::remove(std::uint32_t id) {
    if (!find(id)) return;
    const std::uint32_t index = (id & kIndexMask) - 1;
    Slot& slot = slots_[index];
    slot.source = nullptr;
    slot.generation = (slot.generation + 1) % kGenerations;
    slot.nextFree = firstFree_;
    firstFree_ = index + 1;
    --used_;
}

QXSourceIds& sourceIds() {
    static constinit QXSourceIds ids;
    return ids;
}
