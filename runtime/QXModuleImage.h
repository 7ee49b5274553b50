#pragma once
// Reading and linking a compiled module image: code size and bytes, symbol
// records, relative relocations, absolute relocations. Portable: the caller
// supplies the runtime's names and the memory for the code block.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct QXImageLinkResult {
    std::uint8_t* codeBase = nullptr;  // the module's entry point
    std::size_t codeSize = 0;
    std::string error;                 // empty on success
    bool ok() const { return error.empty(); }
};

using QXRuntimeResolver = std::function<std::optional<std::uint32_t>(std::string_view name)>;
using QXCodeAllocator = std::function<std::uint8_t*(std::size_t bytes)>;

// Never reads past `size` bytes of `image` and never writes outside the code
// block; a malformed image yields an error message instead.
QXImageLinkResult linkModuleImage(const std::uint8_t* image, std::size_t size,
                                  const QXRuntimeResolver& resolveRuntime,
                                  const QXCodeAllocator& allocateCode);
