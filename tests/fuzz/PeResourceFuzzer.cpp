// The program file resource reader on arbitrary bytes: never reads outside
// the file; a resource it finds lies wholly inside it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/QXPeResource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so reading one byte past it is caught.
    std::vector<std::uint8_t> file(data, data + size);
    QXPeResource resource = findPeResource(file.data(), file.size(), kPeRawDataType, 1111);
    if (resource.ok() && (resource.data < file.data() || resource.data + resource.size > file.data() + file.size()))
        __builtin_trap();
    return 0;
}
