#pragma once
// The set of live object addresses: open addressing with linear probing and
// backward-shift deletion, so insert, erase and lookup are O(1) on average and
// no member costs a heap allocation of its own. The table is allocated on the
// first insert, so an empty set is constant-initialised.

#include <cstddef>
#include <cstdint>

class QXLiveSet {
public:
    static constexpr std::size_t kInitialSlots = 1024;

    constexpr QXLiveSet() = default;
    // `initialSlots` is rounded up to a power of two (at least 8).
    explicit QXLiveSet(std::size_t initialSlots);
    ~QXLiveSet();
    QXLiveSet(const QXLiveSet&) = delete;
    QXLiveSet& operator=(const QXLiveSet&) = delete;

    // Both return false when nothing changed (already present / not present, or null).
    bool insert(const void* address);
    bool erase(const void* address);
    bool contains(const void* address) const;
    std::size_t size() const { return count_; }
    std::size_t slotCount() const { return slotCount_; }

    template <class Fn> void forEach(Fn&& fn) const {
        for (std::size_t i = 0; i < slotCount_; ++i)
            if (slots_[i]) fn(reinterpret_cast<const void*>(slots_[i]));
    }

private:
    std::size_t home(std::uintptr_t key) const;
    std::size_t next(std::size_t slot) const { return (slot + 1) & (slotCount_ - 1); }
    void allocate(std::size_t slotCount);
    void grow();
    void place(std::uintptr_t key);  // key absent, table has room

    std::uintptr_t* slots_ = nullptr;  // 0 marks an empty slot
    std::size_t slotCount_ = 0;        // a power of two, or 0 before the first insert
    unsigned shift_ = 0;               // selects the top bits of the multiplicative hash
    std::size_t count_ = 0;
    std::size_t firstSlots_ = kInitialSlots;
};
