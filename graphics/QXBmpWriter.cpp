#include "graphics/QXBmpWriter.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr int kHeaderBytes = 54;

void put16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}
void put32(std::uint8_t* at, std::uint32_t value) {
    put16(at, value);
    put16(at + 2, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> encodeBmp24(const std::uint8_t* rows, int pitch, int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    const std::size_t rowBytes = std::size_t(width) * 3;
    const std::size_t filePitch = (rowBytes + 3) & ~std::size_t(3);
    std::vector<std::uint8_t> file(kHeaderBytes + filePitch * std::size_t(height), 0);
    std::uint8_t* header = file.data();
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, static_cast<std::uint32_t>(file.size()));
    put32(header + 10, kHeaderBytes);
    put32(header + 14, 40);
    put32(header + 18, static_cast<std::uint32_t>(width));
    put32(header + 22, static_cast<std::uint32_t>(height));
    put16(header + 26, 1);
    put16(header + 28, 24);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* from = rows + std::ptrdiff_t(height - 1 - row) * pitch;
        std::memcpy(file.data() + kHeaderBytes + std::size_t(row) * filePitch, from, rowBytes);
    }
    return file;
}
