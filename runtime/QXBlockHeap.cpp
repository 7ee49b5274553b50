#include "runtime/QXBlockHeap.h"

#include <cstdlib>

#include "runtime/QXError.h"

namespace qxheap {
namespace {
constexpr std::size_t kChunk = 64 * 1024;

char* chunkNext = nullptr;
char* chunkEnd = nullptr;

[[noreturn]] void outOfMemory() { runtimeError("Out of memory"); }

// A fresh block of class `sizeClass`, carved from the current chunk; the unused
// tail of a spent chunk (under one block) is left behind. Null when no chunk can be had.
char* carve(std::size_t sizeClass) {
    const std::size_t bytes = sizeClass * kGranule;
    if (static_cast<std::size_t>(chunkEnd - chunkNext) < bytes) {
        char* chunk = static_cast<char*>(std::malloc(kChunk));
        if (!chunk) return nullptr;
        chunkNext = chunk;
        chunkEnd = chunkNext + kChunk;
    }
    char* block = chunkNext;
    chunkNext += bytes;
    return block;
}
}  // namespace

// Pooled sizes with an empty free list, and large blocks.
void* allocateSlow(std::size_t bytes, bool raise) {
    if (bytes > SIZE_MAX - kHeader - kGranule) {
        if (raise) outOfMemory();
        return nullptr;
    }
    const std::size_t sizeClass = (bytes + kHeader + kGranule - 1) / kGranule;
    char* block = sizeClass <= kSizeClasses ? carve(sizeClass) : static_cast<char*>(std::malloc(bytes + kHeader));
    if (!block) {
        if (raise) outOfMemory();
        return nullptr;
    }
    void* usable = block + kHeader;
    headerOf(usable) = sizeClass <= kSizeClasses ? static_cast<std::uint32_t>(sizeClass) : 0;
    return usable;
}

void freeSlow(void* usable, std::uint32_t) { std::free(static_cast<char*>(usable) - kHeader); }
}  // namespace qxheap
