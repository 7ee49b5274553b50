#include "runtime/QXMemory.h"

#include <cstdlib>

#include "runtime/QXError.h"

void* allocateBytes(std::int64_t bytes, bool zeroed) {
    if (bytes < 0 || bytes > kMaxBlockBytes) return nullptr;
    const auto size = static_cast<std::size_t>(bytes == 0 ? 1 : bytes);
    return zeroed ? std::calloc(size, 1) : std::malloc(size);
}

void freeBytes(void* block) { std::free(block); }

void outOfMemory() { runtimeError("Out of memory"); }
