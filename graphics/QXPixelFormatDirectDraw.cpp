#include "graphics/QXPixelFormatDirectDraw.h"

#include "graphics/QXPixelFormat.h"
#include "runtime/QXError.h"

namespace {

struct RGBLayout {
    int format;
    DWORD bitCount;
    DWORD red, green, blue;
};

constexpr RGBLayout kLayouts[] = {
    {QXFormatRGB565, 16, 0xF800, 0x07E0, 0x001F},
    {QXFormatXRGB1555, 16, 0x7C00, 0x03E0, 0x001F},
    {QXFormatRGB888, 24, 0xFF0000, 0xFF00, 0xFF},
    {QXFormatXRGB8888, 32, 0xFF0000, 0xFF00, 0xFF},
};

}  // namespace

DDPIXELFORMAT describeFormat(int format) {
    DDPIXELFORMAT description{};
    for (const RGBLayout& layout : kLayouts) {
        if (layout.format != format) continue;
        description.dwSize = sizeof(DDPIXELFORMAT);
        description.dwFlags = DDPF_RGB;
        description.dwRGBBitCount = layout.bitCount;
        description.dwRBitMask = layout.red;
        description.dwGBitMask = layout.green;
        description.dwBBitMask = layout.blue;
        return description;
    }
    runtimeError("Unrecognized Quelt pixel format: %i", format);
}

int recogniseFormat(const DDPIXELFORMAT& description, bool report) {
    for (const RGBLayout& layout : kLayouts) {
        if (description.dwRGBBitCount == layout.bitCount && description.dwRBitMask == layout.red &&
            description.dwGBitMask == layout.green && description.dwBBitMask == layout.blue)
            return layout.format;
    }
    if (report)
        runtimeError("Unrecognized DirectDraw pixel format: bpp=%i rmask=%x gmask=%x bmask=%x amask=%x",
                     static_cast<int>(description.dwRGBBitCount), static_cast<unsigned>(description.dwRBitMask),
                     static_cast<unsigned>(description.dwGBitMask), static_cast<unsigned>(description.dwBBitMask),
                     static_cast<unsigned>(description.dwRGBAlphaBitMask));
    return 0;
}
