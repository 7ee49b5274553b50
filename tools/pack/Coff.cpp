#include "Coff.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

class Bytes {
public:
    Bytes(std::vector<std::uint8_t> data, std::string file) : data_(std::move(data)), file_(std::move(file)) {}

    std::uint32_t u32(std::size_t at) const { return u16(at) | std::uint32_t(u16(at + 2)) << 16; }
    std::uint16_t u16(std::size_t at) const { return std::uint16_t(u8(at) | u8(at + 1) << 8); }
    std::uint8_t u8(std::size_t at) const {
        if (at >= data_.size()) fail("truncated object");
        return data_[at];
    }
    std::vector<std::uint8_t> slice(std::size_t at, std::size_t n) const {
        if (at > data_.size() || n > data_.size() - at) fail("section data outside the file");
        return {data_.begin() + at, data_.begin() + at + n};
    }
    std::string cString(std::size_t at, std::size_t max) const {
        std::string s;
        for (std::size_t i = 0; i < max && u8(at + i); ++i) s += static_cast<char>(u8(at + i));
        return s;
    }
    [[noreturn]] void fail(const std::string& what) const { throw std::runtime_error(file_ + ": " + what); }

private:
    std::vector<std::uint8_t> data_;
    std::string file_;
};

constexpr std::size_t kHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kSymbolSize = 18;
constexpr std::size_t kRelocationSize = 10;

}  // namespace

bool CoffSection::discarded() const {
    constexpr std::uint32_t kLinkInfo = 0x200, kLinkRemove = 0x800;
    return (characteristics & (kLinkInfo | kLinkRemove)) || name.rfind(".debug", 0) == 0 ||
           name.rfind(".eh_frame", 0) == 0 || name == ".drectve";
}

std::uint32_t CoffSection::alignment() const {
    std::uint32_t code = (characteristics >> 20) & 0xF;
    return code ? 1u << (code - 1) : 16;
}

CoffObject readCoffObject(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file);
    Bytes b(std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), file);

    if (b.u16(0) != 0x14c) b.fail("not an i386 COFF object");
    std::uint16_t sectionCount = b.u16(2);
    std::uint32_t symbolTable = b.u32(8);
    std::uint32_t symbolCount = b.u32(12);
    std::uint16_t optionalHeader = b.u16(16);
    std::size_t stringTable = symbolTable + std::size_t(symbolCount) * kSymbolSize;

    auto longName = [&](std::size_t offset) { return b.cString(stringTable + offset, 4096); };

    CoffObject object;
    object.file = file;
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        std::size_t h = kHeaderSize + optionalHeader + i * kSectionHeaderSize;
        CoffSection s;
        s.name = b.cString(h, 8);
        if (!s.name.empty() && s.name[0] == '/') s.name = longName(std::stoul(s.name.substr(1)));
        s.size = b.u32(h + 16);
        std::uint32_t rawData = b.u32(h + 20);
        std::uint32_t relocations = b.u32(h + 24);
        std::uint16_t relocationCount = b.u16(h + 32);
        s.characteristics = b.u32(h + 36);
        if (!s.uninitialised()) s.bytes = b.slice(rawData, s.size);
        for (std::uint16_t r = 0; r < relocationCount; ++r) {
            std::size_t at = relocations + r * kRelocationSize;
            s.relocations.push_back({b.u32(at), b.u32(at + 4), b.u16(at + 8)});
        }
        object.sections.push_back(std::move(s));
    }

    object.symbols.resize(symbolCount);
    for (std::uint32_t i = 0; i < symbolCount; ++i) {
        std::size_t at = symbolTable + i * kSymbolSize;
        CoffSymbol& sym = object.symbols[i];
        sym.present = true;
        sym.name = b.u32(at) == 0 ? longName(b.u32(at + 4)) : b.cString(at, 8);
        sym.value = b.u32(at + 8);
        sym.section = static_cast<std::int16_t>(b.u16(at + 12));
        sym.storageClass = b.u8(at + 16);
        i += b.u8(at + 17);  // auxiliary records stay as absent slots
    }
    return object;
}
