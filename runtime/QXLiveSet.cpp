#include "runtime/QXLiveSet.h"

namespace {
constexpr std::size_t kInitialSlots = 1024;
}

QXLiveSet::QXLiveSet() : slots_(kInitialSlots, 0), mask_(kInitialSlots - 1) {}

std::size_t QXLiveSet::home(std::uintptr_t key) const {
    // Objects are at least 4-byte aligned; Fibonacci hashing spreads the rest.
    return static_cast<std::size_t>((static_cast<std::uint32_t>(key) * 2654435769u) >> 7) & mask_;
}

void QXLiveSet::insert(const void* address) {
    if ((count_ + 1) * 2 > slots_.size()) grow();
    auto key = reinterpret_cast<std::uintptr_t>(address);
    std::size_t i = home(key);
    while (slots_[i] != 0) {
        if (slots_[i] == key) return;
        i = (i + 1) & mask_;
    }
    slots_[i] = key;
    ++count_;
}

bool QXLiveSet::contains(const void* address) const {
    auto key = reinterpret_cast<std::uintptr_t>(address);
    if (key == 0) return false;
    for (std::size_t i = home(key); slots_[i] != 0; i = (i + 1) & mask_)
        if (slots_[i] == key) return true;
    return false;
}

void QXLiveSet::erase(const void* address) {
    auto key = reinterpret_cast<std::uintptr_t>(address);
    std::size_t i = home(key);
    while (slots_[i] != key) {
        if (slots_[i] == 0) return;
        i = (i + 1) & mask_;
    }
    // Backward shift: pull later members of the probe run into the hole.
    std::size_t hole = i;
    for (std::size_t j = (hole + 1) & mask_; slots_[j] != 0; j = (j + 1) & mask_) {
        std::size_t want = home(slots_[j]);
        bool movable = (hole <= j) ? (want <= hole || want > j) : (want <= hole && want > j);
        if (movable) {
            slots_[hole] = slots_[j];
            hole = j;
        }
    }
    slots_[hole] = 0;
    --count_;
}

void QXLiveSet::grow() {
    std::vector<std::uintptr_t> old;
    old.swap(slots_);
    slots_.assign(old.size() * 2, 0);
    mask_ = slots_.size() - 1;
    count_ = 0;
    for (std::uintptr_t key : old)
        if (key) insert(reinterpret_cast<const void*>(key));
}
