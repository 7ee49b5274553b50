#pragma once
// The set of live object addresses: open addressing with linear probing and
// backward-shift deletion, so insert, erase and lookup are O(1) on average and
// no member costs a heap allocation of its own. The table is allocated on the
// first insert, so an empty set is constant-initialised.
//
// Every object's construction and destruction passes through insert and
// erase, so their common cases are inline: a probe in a table at most half
// full, and an erase whose next slot is already empty. Growing and closing the
// gap after an erase are out of line.

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
    bool insert(const void* address) {
        const auto key = reinterpret_cast<std::uintptr_t>(address);
        if (key == 0) return false;
        // At most half full, so the home slot is usually free.
        if (count_ >= growAt_) [[unlikely]]
            grow();
        const std::size_t i = home(key);
        if (slots_[i] != 0) [[unlikely]]
            return insertPastHome(key, i);
        slots_[i] = key;
        ++count_;
        return true;
    }

    bool erase(const void* address) {
        const auto key = reinterpret_cast<std::uintptr_t>(address);
        if (key == 0 || slots_ == nullptr) return false;
        const std::size_t i = home(key);
        // Usually the key sits in its home slot and ends its run: nothing moves.
        if (slots_[i] != key || slots_[next(i)] != 0) [[unlikely]]
            return erasePastHome(key, i);
        slots_[i] = 0;
        --count_;
        return true;
    }

    bool contains(const void* address) const {
        const auto key = reinterpret_cast<std::uintptr_t>(address);
        if (key == 0 || slots_ == nullptr) return false;
        for (std::size_t i = home(key); slots_[i] != 0; i = next(i))
            if (slots_[i] == key) return true;
        return false;
    }

    std::size_t size() const { return count_; }
    std::size_t slotCount() const { return mask_ + (slots_ ? 1 : 0); }

    template <class Fn> void forEach(Fn&& fn) const {
        if (!slots_) return;
        for (std::size_t i = 0; i <= mask_; ++i)
            if (slots_[i]) fn(reinterpret_cast<const void*>(slots_[i]));
    }

private:
    static constexpr unsigned kKeyBits = sizeof(std::uintptr_t) * 8;

    // Fibonacci hashing of the address's 64-byte block picks where the
    // block's members go; within a block they keep their order, 8 bytes to a
    // slot. The top bits of the product depend on every bit of the block
    // number, so objects a power of two apart do not pile up on one slot; and
    // objects made one after another (as a heap hands them out) share a cache
    // line of the table, so a million of them cost a fraction of a million
    // cache misses to enter and to erase. (Larger blocks cluster: scattered
    // heap pages then make long runs.)
    static constexpr unsigned kGranuleBits = 3;
    static constexpr unsigned kBlockBits = 3;
    std::size_t home(std::uintptr_t key) const {
        const std::uintptr_t granule = key >> kGranuleBits;
        const std::uintptr_t block = granule >> kBlockBits;
        std::size_t base;
        if constexpr (kKeyBits == 32)
            base = static_cast<std::size_t>((static_cast<std::uint32_t>(block) * 2654435769u) >> shift_);
        else
            base = static_cast<std::size_t>((static_cast<std::uint64_t>(block) * 0x9E3779B97F4A7C15ull) >> shift_);
        return (base + (granule & ((std::uintptr_t{1} << kBlockBits) - 1))) & mask_;
    }
    std::size_t next(std::size_t slot) const { return (slot + 1) & mask_; }
    void allocate(std::size_t slotCount);
    void grow();
    void place(std::uintptr_t key);  // key absent, table has room
    // The general cases, from the key's home slot `i` on.
    bool insertPastHome(std::uintptr_t key, std::size_t i);
    bool erasePastHome(std::uintptr_t key, std::size_t i);

    std::uintptr_t* slots_ = nullptr;  // 0 marks an empty slot; null before the first insert
    std::size_t mask_ = 0;             // slot count - 1 (the count is a power of two)
    std::size_t count_ = 0;
    std::size_t growAt_ = 0;           // half the slot count: 0 until a table exists
    unsigned shift_ = 0;               // selects the top bits of the multiplicative hash
    std::size_t firstSlots_ = kInitialSlots;
};
