// Finding resource 1111 in a program file without Windows (the Linux host's
// reader), on a program laid out here and on damaged copies of it.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/QXPeResource.h"

namespace {

void put16(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value) {
    file[at] = static_cast<std::uint8_t>(value);
    file[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void put32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value) {
    put16(file, at, value & 0xFFFF);
    put16(file, at + 2, value >> 16);
}

// Offsets of the fields the damaged copies change.
constexpr std::size_t kPe = 0x40, kOptional = kPe + 24, kSection = kOptional + 0xE0, kResources = 0x200;
constexpr std::uint32_t kResourceRva = 0x1000;
const std::string kPayload = "module bytes";

// A 32-bit PE file with one section holding the resource directory:
// type 10 -> id 1111 -> language 0x409 -> the payload.
std::vector<std::uint8_t> program(std::uint32_t type = 10, std::uint32_t id = 1111) {
    std::vector<std::uint8_t> file(kResources + 0x100, 0);
    put16(file, 0, 0x5A4D);
    put32(file, 0x3C, kPe);
    put32(file, kPe, 0x00004550);
    put16(file, kPe + 4, 0x14C);
    put16(file, kPe + 6, 1);       // sections
    put16(file, kPe + 20, 0xE0);   // optional header size
    put16(file, kOptional, 0x10B);
    put32(file, kOptional + 92, 16);
    put32(file, kOptional + 96 + 16, kResourceRva);
    put32(file, kOptional + 96 + 20, 0x100);
    put32(file, kSection + 8, 0x100);
    put32(file, kSection + 12, kResourceRva);
    put32(file, kSection + 16, 0x100);
    put32(file, kSection + 20, kResources);
    // Three directories of one id entry each, then the data entry and the bytes.
    const std::uint32_t ids[] = {type, id, 0x409};
    for (std::uint32_t level = 0; level < 3; ++level) {
        const std::size_t directory = kResources + level * 0x18;
        put16(file, directory + 14, 1);
        put32(file, directory + 16, ids[level]);
        put32(file, directory + 20, level < 2 ? (0x80000000u | (level + 1) * 0x18) : 0x48);
    }
    put32(file, kResources + 0x48, kResourceRva + 0x58);
    put32(file, kResources + 0x4C, static_cast<std::uint32_t>(kPayload.size()));
    for (std::size_t i = 0; i < kPayload.size(); ++i) file[kResources + 0x58 + i] = static_cast<std::uint8_t>(kPayload[i]);
    return file;
}

std::string found(const std::vector<std::uint8_t>& file) {
    QXPeResource resource = findPeResource(file.data(), file.size(), kPeRawDataType, 1111);
    if (!resource.ok()) return "error: " + resource.error;
    return std::string(reinterpret_cast<const char*>(resource.data), resource.size);
}

}  // namespace

TEST(PeResource, FindsTheModuleThroughTypeIdAndLanguage) {
    EXPECT_EQ(found(program()), kPayload);
    EXPECT_EQ(found(program(3, 1111)), "error: Can't find resource");
    EXPECT_EQ(found(program(10, 1112)), "error: Can't find resource");
}

TEST(PeResource, DamagedFilesGiveAnErrorNeverAReadOutside) {
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        bool wide;
        const char* error;
    } cases[] = {
        {"no MZ", 0, 0x4D5A, false, "Not a Windows program"},
        {"PE header past the end", 0x3C, 0xFFFFFFF0u, true, "Not a Windows program"},
        {"no PE signature", kPe, 0x00004551, true, "Not a Windows program"},
        {"64-bit optional header", kOptional, 0x20B, false, "Not a 32-bit Windows program"},
        {"too few directories", kOptional + 92, 2, true, "The program has no resources"},
        {"no resource directory", kOptional + 96 + 16, 0, true, "The program has no resources"},
        {"resources outside every section", kOptional + 96 + 16, 0x9000, true, "The program's resources are damaged"},
        {"section's bytes past the end", kSection + 20, 0xFFFFFF00u, true, "Can't find resource"},
        {"type entry named, not numbered", kResources + 16, 0x8000000Au, true, "Can't find resource"},
        {"type entry is no directory", kResources + 20, 0x18, true, "The program's resources are damaged"},
        {"subdirectory offset far away", kResources + 20, 0xFFFFFFFFu, true, "Can't find resource"},
        {"data outside its section", kResources + 0x48, 0x7FFFFFFF, true, "The program's resources are damaged"},
        {"data size beyond the section", kResources + 0x4C, 0xFFFFFFF0u, true, "The program's resources are damaged"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> file = program();
        if (c.wide)
            put32(file, c.at, c.value);
        else
            put16(file, c.at, c.value);
        const std::string result = found(file);
        EXPECT_EQ(result, std::string("error: ") + c.error) << c.what;
    }
    // Cut short anywhere: an error, not a read past the end (the copy has the exact size).
    const std::vector<std::uint8_t> whole = program();
    for (std::size_t size = 0; size < whole.size(); size += 7) {
        std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        const std::string result = found(cut);
        if (size >= kResources + 0x58 + kPayload.size()) continue;  // everything needed is there
        EXPECT_EQ(result.rfind("error: ", 0), 0u) << size << ": " << result;
    }
}
