#pragma once
// Storage for runtime objects: a string object and its bytes share one block,
// and every other object is a block of its own. Small blocks are recycled
// through per-size free lists, so the statement-long temporaries of compiled
// code, and objects made and freed by the million, cost no trip to the C heap.
// Program thread only, like the objects themselves.

#include <cstddef>
#include <cstdint>

namespace qxheap {
// Each block starts with a header naming its size class (0: taken from
// malloc); 8 bytes, so that what follows stays 8-byte aligned.
constexpr std::size_t kHeader = 8;
constexpr std::size_t kGranule = 16;
constexpr std::size_t kSizeClasses = 32;  // pooled blocks of up to 512 bytes

struct FreeBlock {
    FreeBlock* next;  // lives in the usable part, so the header stays intact
};
inline FreeBlock* freeLists[kSizeClasses + 1] = {};

// Null when `raise` is false and memory ran out.
void* allocateSlow(std::size_t bytes, bool raise = true);
void freeSlow(void* usable, std::uint32_t sizeClass);

inline std::uint32_t& headerOf(void* usable) {
    return *reinterpret_cast<std::uint32_t*>(static_cast<char*>(usable) - kHeader);
}
}  // namespace qxheap

// A block of at least `bytes` usable bytes, 8-byte aligned. Stops the program
// with "Out of memory" when none can be had.
inline void* allocateBlock(std::size_t bytes) {
    using namespace qxheap;
    if (bytes <= kSizeClasses * kGranule - kHeader) {
        const std::size_t sizeClass = (bytes + kHeader + kGranule - 1) / kGranule;
        if (FreeBlock* recycled = freeLists[sizeClass]) {
            freeLists[sizeClass] = recycled->next;
            return recycled;
        }
    }
    return allocateSlow(bytes);
}

// As allocateBlock, but null when no memory can be had.
inline void* tryAllocateBlock(std::size_t bytes) {
    using namespace qxheap;
    if (bytes <= kSizeClasses * kGranule - kHeader) {
        const std::size_t sizeClass = (bytes + kHeader + kGranule - 1) / kGranule;
        if (FreeBlock* recycled = freeLists[sizeClass]) {
            freeLists[sizeClass] = recycled->next;
            return recycled;
        }
    }
    return allocateSlow(bytes, false);
}

// Gives back a block from allocateBlock or tryAllocateBlock (null is ignored).
inline void freeBlock(void* usable) {
    using namespace qxheap;
    if (!usable) return;
    const std::uint32_t sizeClass = headerOf(usable);
    if (sizeClass == 0) return freeSlow(usable, sizeClass);
    auto* entry = static_cast<FreeBlock*>(usable);
    entry->next = freeLists[sizeClass];
    freeLists[sizeClass] = entry;
}
