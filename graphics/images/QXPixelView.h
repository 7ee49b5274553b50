#pragma once
// A locked pixel store seen as plain memory: what the image algorithms (masks,
// transforms) work on, so that they need nothing but the pixel formats.

#include <cstddef>
#include <cstdint>

#include "graphics/QXPixelFormat.h"

struct QXPixelView {
    std::uint8_t* pixels;  // top-left pixel
    int pitch;             // bytes from one row to the next
    int format;            // pixel-format code
    int width;
    int height;

    std::uint8_t* at(int x, int y) const {
        return pixels + std::ptrdiff_t(y) * pitch + std::ptrdiff_t(x) * bytesPerPixel(format);
    }
    QXColour colour(int x, int y) const { return readColour(format, at(x, y)); }
    void setColour(int x, int y, QXColour value) const { writeColour(format, at(x, y), value); }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};
