#pragma once
// The set of live object addresses: open addressing with linear probing and
// backward-shift deletion, so insert, erase and lookup are O(1) on average and
// no member costs a heap allocation of its own.

#include <cstddef>
#include <cstdint>
#include <vector>

class QXLiveSet {
public:
    QXLiveSet();
    void insert(const void* address);
    void erase(const void* address);
    bool contains(const void* address) const;
    std::size_t size() const { return count_; }

    template <class Fn> void forEach(Fn&& fn) const {
        for (std::uintptr_t slot : slots_)
            if (slot) fn(reinterpret_cast<const void*>(slot));
    }

private:
    std::size_t home(std::uintptr_t key) const;
    void grow();

    std::vector<std::uintptr_t> slots_;  // 0 marks an empty slot
    std::size_t mask_;
    std::size_t count_ = 0;
};
