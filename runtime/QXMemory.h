#pragma once
// The memory policy of commands and entry points:
//  - sizes are computed in 64 bits and checked against their limits before
//    anything is allocated, so no size arithmetic overflows;
//  - allocation reports failure (null) instead of throwing;
//  - the command turns a failure into its documented failure value, or into
//    the runtime error "Out of memory" (outOfMemory below).
// A std::bad_alloc that still escapes a command becomes the same runtime
// error in the registry's guard (QXRegistry.h).

#include <cstddef>
#include <cstdint>

// The largest block a 32-bit size can describe.
constexpr std::int64_t kMaxBlockBytes = 0x7FFFFFFF;

// `bytes` bytes (zero-filled when `zeroed`), or null when the size is negative,
// beyond kMaxBlockBytes or cannot be had. Free with freeBytes.
void* allocateBytes(std::int64_t bytes, bool zeroed);
void freeBytes(void* block);

// Stops the program with the runtime error "Out of memory".
[[noreturn]] void outOfMemory();
