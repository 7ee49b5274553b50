#include "graphics/QXPixmap.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>

namespace {

// Row and store sizes must fit in the signed 32-bit pitch and in offsets
// computed from it.
constexpr std::int64_t kMaxBytes = std::numeric_limits<std::int32_t>::max();

std::int64_t alignedPitch(int width, int format, int alignment) {
    const std::int64_t rowBytes = std::int64_t(width) * bytesPerPixel(format);
    return (rowBytes + alignment - 1) / alignment * alignment;
}

}  // namespace

QXPixmap::QXPixmap(int pixmapWidth, int pixmapHeight, int pixelFormat, int rowAlignment)
    : QXGraphics(std::max(pixmapWidth, 0), std::max(pixmapHeight, 0)),
      format(pixelFormat),
      alignment(std::max(rowAlignment, 1)),
      ownsPixels(true) {
    const std::int64_t rowPitch = alignedPitch(width, format, alignment);
    if (rowPitch > kMaxBytes || rowPitch * height > kMaxBytes) return;
    pitch = static_cast<int>(rowPitch);
    pixels = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(rowPitch * height)];
}

QXPixmap::QXPixmap(int pixmapWidth, int pixmapHeight, int pixelFormat, void* memory, int rowPitch)
    : QXGraphics(std::max(pixmapWidth, 0), std::max(pixmapHeight, 0)),
      pixels(static_cast<std::uint8_t*>(memory)),
      pitch(rowPitch),
      format(pixelFormat),
      alignment(4),
      ownsPixels(false) {}

QXPixmap::~QXPixmap() {
    if (ownsPixels) delete[] pixels;
}

QXGraphics* QXPixmap::createCompatible(int newWidth, int newHeight) {
    return createPixmap(newWidth, newHeight, format, alignment);
}

QXPixelLock QXPixmap::lock() { return {pixels, pitch, format}; }

void QXPixmap::unlock() {}

// The base store's default: memory in the format every store converts to and from.
QXGraphics* QXGraphics::createCompatible(int newWidth, int newHeight) {
    return createPixmap(newWidth, newHeight, QXFormatXRGB8888, 4);
}

QXPixmap* createPixmap(int width, int height, int format, int alignment) {
    return new QXPixmap(width, height, format, alignment);
}
