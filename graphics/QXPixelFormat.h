#pragma once
// Colour values and the packed pixel formats of pixel stores.
//
// A colour value is 32-bit ARGB: alpha in bits 24-31, then red, green, blue.
// A store keeps its pixels in one of the formats below, identified by a
// signed 32-bit code. Converting a colour to a narrower format keeps the top
// bits of each channel; converting back leaves the missing low bits zero
// (they are not replicated), so 0xFFFFFFFF comes back from code 1 as 0xFFF8FCF8.
// Multi-byte pixels are little-endian; 24-bit pixels are blue, green, red in memory.

#include <cstdint>
#include <cstring>

using QXColour = std::uint32_t;

enum QXPixelFormat : int {
    QXFormatRGB565 = 1,    // 16-bit R5 G6 B5
    QXFormatXRGB1555 = 2,  // 16-bit X1 R5 G5 B5
    QXFormatRGB888 = 3,    // 24-bit, bytes blue, green, red
    QXFormatXRGB8888 = 4,  // 32-bit, top byte not significant
    QXFormatReserved5 = 5, // 16-bit codes that are carried but never converted
    QXFormatReserved6 = 6,
    QXFormatARGB8888 = 7,  // 32-bit, alpha significant
};

// What a pixel of a format without conversions reads as, and what fill stores in it.
inline constexpr QXColour QXUnconvertedColour = 0xFFFF00FF;

constexpr int bytesPerPixel(int format) {
    switch (format) {
    case QXFormatRGB565:
    case QXFormatXRGB1555:
    case QXFormatReserved5:
    case QXFormatReserved6: return 2;
    case QXFormatRGB888: return 3;
    case QXFormatXRGB8888:
    case QXFormatARGB8888: return 4;
    default: return 0;
    }
}

// Whether colours convert to and from the format (codes 1-4 and 7).
constexpr bool isConvertibleFormat(int format) {
    return (format >= QXFormatRGB565 && format <= QXFormatXRGB8888) || format == QXFormatARGB8888;
}

// Colour value -> pixel of the format (in the low bytes of the result).
constexpr std::uint32_t toPixel(int format, QXColour colour) {
    switch (format) {
    case QXFormatRGB565: return ((colour >> 8) & 0xF800) | ((colour >> 5) & 0x07E0) | ((colour >> 3) & 0x001F);
    case QXFormatXRGB1555: return ((colour >> 9) & 0x7C00) | ((colour >> 6) & 0x03E0) | ((colour >> 3) & 0x001F);
    case QXFormatRGB888: return colour & 0xFFFFFF;
    case QXFormatXRGB8888:
    case QXFormatARGB8888: return colour;
    default: return QXUnconvertedColour;
    }
}

// Pixel of the format -> colour value.
constexpr QXColour toColour(int format, std::uint32_t pixel) {
    switch (format) {
    case QXFormatRGB565:
        return 0xFF000000 | ((pixel & 0xF800) << 8) | ((pixel & 0x07E0) << 5) | ((pixel & 0x001F) << 3);
    case QXFormatXRGB1555:
        return 0xFF000000 | ((pixel & 0x7C00) << 9) | ((pixel & 0x03E0) << 6) | ((pixel & 0x001F) << 3);
    case QXFormatRGB888: return 0xFF000000 | (pixel & 0xFFFFFF);
    case QXFormatXRGB8888: return pixel | 0xFF000000;
    case QXFormatARGB8888: return pixel;
    default: return QXUnconvertedColour;
    }
}

// A mask colour as it survives the format (converted to a pixel and back),
// without alpha: the value that converted source pixels are compared against
// when masked, so that every colour the format cannot tell apart from the mask
// counts as masked, whatever its alpha.
constexpr QXColour maskKey(int format, QXColour mask) { return toColour(format, toPixel(format, mask)) & 0xFFFFFF; }

// ---------------------------------------------------------------- memory access
// Pixels may sit at any byte address (24-bit rows, odd pitches), hence memcpy.

template <int Bytes> inline std::uint32_t loadPixelBytes(const std::uint8_t* at) {
    if constexpr (Bytes == 2) {
        std::uint16_t value;
        std::memcpy(&value, at, 2);
        return value;
    } else if constexpr (Bytes == 3) {
        return std::uint32_t(at[0]) | (std::uint32_t(at[1]) << 8) | (std::uint32_t(at[2]) << 16);
    } else if constexpr (Bytes == 4) {
        std::uint32_t value;
        std::memcpy(&value, at, 4);
        return value;
    } else {
        return 0;
    }
}

template <int Bytes> inline void storePixelBytes(std::uint8_t* at, std::uint32_t pixel) {
    if constexpr (Bytes == 2) {
        auto value = static_cast<std::uint16_t>(pixel);
        std::memcpy(at, &value, 2);
    } else if constexpr (Bytes == 3) {
        at[0] = static_cast<std::uint8_t>(pixel);
        at[1] = static_cast<std::uint8_t>(pixel >> 8);
        at[2] = static_cast<std::uint8_t>(pixel >> 16);
    } else if constexpr (Bytes == 4) {
        std::memcpy(at, &pixel, 4);
    }
}

// The raw pixel of the format at `at` (0 for formats of no size).
inline std::uint32_t loadPixel(int format, const void* at) {
    const auto* bytes = static_cast<const std::uint8_t*>(at);
    switch (bytesPerPixel(format)) {
    case 2: return loadPixelBytes<2>(bytes);
    case 3: return loadPixelBytes<3>(bytes);
    case 4: return loadPixelBytes<4>(bytes);
    default: return 0;
    }
}

// Stores the low bytes of `pixel` at `at`, as many as the format's pixels have.
inline void storePixel(int format, void* at, std::uint32_t pixel) {
    auto* bytes = static_cast<std::uint8_t*>(at);
    switch (bytesPerPixel(format)) {
    case 2: storePixelBytes<2>(bytes, pixel); break;
    case 3: storePixelBytes<3>(bytes, pixel); break;
    case 4: storePixelBytes<4>(bytes, pixel); break;
    default: break;
    }
}

// The colour of the pixel at `at`.
inline QXColour readColour(int format, const void* at) { return toColour(format, loadPixel(format, at)); }

// Stores `colour` at `at` in the format; pixels of formats without conversions are left alone.
inline void writeColour(int format, void* at, QXColour colour) {
    if (isConvertibleFormat(format)) storePixel(format, at, toPixel(format, colour));
}
