// The module image reader and linker on arbitrary bytes: never reads past the
// image, never writes outside the code block, an error message otherwise.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/QXModuleImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so reading one byte past it is caught.
    std::vector<std::uint8_t> image(data, data + size);
    std::vector<std::uint8_t> block;
    auto resolve = [](std::string_view name) -> std::optional<std::uint32_t> {
        if (name == "_fprint" || name == "__qxStrConcat") return 0x1000 + static_cast<std::uint32_t>(name.size());
        return std::nullopt;
    };
    auto allocate = [&](std::size_t bytes) -> std::uint8_t* {
        if (bytes > (1u << 20)) return nullptr;
        block.assign(bytes, 0);
        return block.data();
    };
    QXImageLinkResult result = linkModuleImage(image.data(), image.size(), resolve, allocate);
    if (result.ok() && result.codeSize > block.size()) __builtin_trap();
    return 0;
}
