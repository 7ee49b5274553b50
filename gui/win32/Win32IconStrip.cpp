#include "gui/win32/Win32IconStrip.h"

#include <cstring>

#include "graphics/QXPixelFormat.h"
#include "graphics/QXPixmap.h"
#include "gui/win32/Win32GuiDriver.h"

namespace {
// A top-down 32-bit device-independent bitmap with the pixmap's colours.
HBITMAP bitmapOf(QXPixmap& pixmap) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixmap.width;
    info.bmiHeader.biHeight = -pixmap.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return bitmap;
    auto* out = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < pixmap.height; ++y) {
        const std::uint8_t* row = pixmap.pixels + static_cast<std::size_t>(y) * pixmap.pitch;
        for (int x = 0; x < pixmap.width; ++x) {
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, row + x * 4, 4);
            // The DIB's byte order (blue first) is that of the colour value.
            out[static_cast<std::size_t>(y) * pixmap.width + x] =
                toColour(pixmap.format, pixel) & 0xFFFFFF;
        }
    }
    return bitmap;
}
}  // namespace

Win32IconStrip::~Win32IconStrip() {
    if (images_) ImageList_Destroy(images_);
}

Win32IconStrip* win32IconStripFromPixmap(QXPixmap& pixmap) {
    const int size = pixmap.height;
    if (!pixmap.hasPixels() || size <= 0 || pixmap.width < size) return nullptr;
    const int count = pixmap.width / size;
    std::uint32_t corner = 0;
    std::memcpy(&corner, pixmap.pixels, 4);
    const QXColour colour = toColour(pixmap.format, corner);
    const COLORREF transparent = RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);

    HBITMAP bitmap = bitmapOf(pixmap);
    if (!bitmap) return nullptr;
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 0, 1);
    if (images) ImageList_AddMasked(images, bitmap, transparent);
    DeleteObject(bitmap);
    if (!images) return nullptr;
    return new Win32IconStrip(count, size, images);
}

HIMAGELIST win32ImageListOf(QXIconStrip* strip) {
    auto* native = dynamic_cast<Win32IconStrip*>(strip);
    return native ? native->imageList() : nullptr;
}

QXIconStrip* Win32GuiDriver::loadIconStrip(QXPixmap* pixmap) {
    return pixmap ? win32IconStripFromPixmap(*pixmap) : nullptr;
}
