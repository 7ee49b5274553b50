#include "runtime/QXPeResource.h"

#include <optional>

namespace {

// Offsets are figured in 64 bits, so no sum of 32-bit fields wraps on a 32-bit host.
using Offset = std::uint64_t;

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool has(Offset offset, Offset count) const { return offset <= size_ && count <= size_ - offset; }
    std::optional<std::uint32_t> u32(Offset offset) const {
        if (!has(offset, 4)) return std::nullopt;
        return static_cast<std::uint32_t>(data_[offset] | data_[offset + 1] << 8 | data_[offset + 2] << 16) |
               static_cast<std::uint32_t>(data_[offset + 3]) << 24;
    }
    std::optional<std::uint16_t> u16(Offset offset) const {
        if (!has(offset, 2)) return std::nullopt;
        return static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
    }
    const std::uint8_t* at(Offset offset) const { return data_ + static_cast<std::size_t>(offset); }

private:
    const std::uint8_t* data_;
    Offset size_;
};

struct Section {
    std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

constexpr std::uint32_t kSubdirectory = 0x80000000u;
constexpr std::uint32_t kNamed = 0x80000000u;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::size_t kResourceDirectoryIndex = 2;

// The entry's offset in the resource section for the wanted id (or, with
// `anyId`, the first entry), else nothing.
std::optional<std::uint32_t> findEntry(const Bytes& file, Offset sectionStart, std::uint32_t directory,
                                       std::uint32_t id, bool anyId) {
    const Offset base = sectionStart + directory;
    auto named = file.u16(base + 12);
    auto ids = file.u16(base + 14);
    if (!named || !ids) return std::nullopt;
    const Offset count = Offset{*named} + *ids;
    for (Offset i = 0; i < count; ++i) {
        auto name = file.u32(base + 16 + i * 8);
        auto offset = file.u32(base + 16 + i * 8 + 4);
        if (!name || !offset) return std::nullopt;
        if (*name & kNamed) continue;
        if (anyId || *name == id) return *offset;
    }
    return std::nullopt;
}

}  // namespace

QXPeResource findPeResource(const std::uint8_t* data, std::size_t size, std::uint32_t type, std::uint32_t id) {
    QXPeResource result;
    const Bytes file(data, size);
    auto fail = [&](const char* why) {
        result.error = why;
        return result;
    };
    auto mz = file.u16(0);
    auto peOffset = file.u32(0x3C);
    if (!mz || *mz != 0x5A4D || !peOffset) return fail("Not a Windows program");
    auto signature = file.u32(*peOffset);
    if (!signature || *signature != 0x00004550) return fail("Not a Windows program");
    const Offset coff = Offset{*peOffset} + 4;
    auto sectionCount = file.u16(coff + 2);
    auto optionalSize = file.u16(coff + 16);
    const Offset optional = coff + 20;
    auto magic = file.u16(optional);
    if (!sectionCount || !optionalSize || !magic || *magic != kPe32Magic) return fail("Not a 32-bit Windows program");
    auto directories = file.u32(optional + 92);
    if (!directories || *directories <= kResourceDirectoryIndex || *optionalSize < 96 + 8 * (kResourceDirectoryIndex + 1))
        return fail("The program has no resources");
    auto resourceRva = file.u32(optional + 96 + 8 * kResourceDirectoryIndex);
    if (!resourceRva || *resourceRva == 0) return fail("The program has no resources");

    // The section that holds the resource directory, and the file offset of an RVA.
    const Offset sections = optional + *optionalSize;
    auto sectionOf = [&](std::uint32_t rva) -> std::optional<Section> {
        for (Offset i = 0; i < *sectionCount; ++i) {
            const Offset header = sections + i * 40;
            auto virtualSize = file.u32(header + 8);
            auto virtualAddress = file.u32(header + 12);
            auto rawSize = file.u32(header + 16);
            auto rawOffset = file.u32(header + 20);
            if (!virtualSize || !virtualAddress || !rawSize || !rawOffset) return std::nullopt;
            const std::uint32_t extent = *virtualSize > *rawSize ? *virtualSize : *rawSize;
            if (rva >= *virtualAddress && rva - *virtualAddress < extent)
                return Section{*virtualAddress, *virtualSize, *rawSize, *rawOffset};
        }
        return std::nullopt;
    };
    auto resources = sectionOf(*resourceRva);
    if (!resources) return fail("The program's resources are damaged");
    const Offset sectionStart = Offset{resources->rawOffset} + (*resourceRva - resources->virtualAddress);

    // Type, then id, then the first language: three levels, each a subdirectory but the last.
    std::uint32_t offset = 0;
    for (int level = 0; level < 3; ++level) {
        auto entry = findEntry(file, sectionStart, offset, level == 0 ? type : id, level == 2);
        if (!entry) return fail(level < 2 ? "Can't find resource" : "Can't load resource");
        const bool subdirectory = (*entry & kSubdirectory) != 0;
        if (subdirectory != (level < 2)) return fail("The program's resources are damaged");
        offset = *entry & ~kSubdirectory;
    }
    auto dataRva = file.u32(sectionStart + offset);
    auto dataSize = file.u32(sectionStart + offset + 4);
    if (!dataRva || !dataSize) return fail("The program's resources are damaged");
    auto holder = sectionOf(*dataRva);
    if (!holder) return fail("The program's resources are damaged");
    const std::uint32_t inSection = *dataRva - holder->virtualAddress;
    if (inSection > holder->rawSize || *dataSize > holder->rawSize - inSection)
        return fail("The program's resources are damaged");
    const Offset start = Offset{holder->rawOffset} + inSection;
    if (!file.has(start, *dataSize)) return fail("The program's resources are damaged");
    result.data = file.at(start);
    result.size = *dataSize;
    return result;
}
