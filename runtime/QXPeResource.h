#pragma once
// Finding a resource in a Windows program file without Windows: the Linux
// host reads the module bound into an .exe (raw data resource 1111) this way.
// Portable, and safe on any bytes.

#include <cstddef>
#include <cstdint>
#include <string>

struct QXPeResource {
    const std::uint8_t* data = nullptr;  // inside the file's bytes
    std::size_t size = 0;
    std::string error;                   // empty when found
    bool ok() const { return error.empty(); }
};

constexpr std::uint32_t kPeRawDataType = 10;

// The first language's copy of resource (type, id) in the 32-bit PE image
// `file`. Never reads outside the `size` bytes; a malformed file, or one
// without the resource, gives an error.
QXPeResource findPeResource(const std::uint8_t* file, std::size_t size, std::uint32_t type, std::uint32_t id);
