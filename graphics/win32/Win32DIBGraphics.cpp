#include "graphics/win32/Win32DIBGraphics.h"

#include <cstdint>
#include <limits>

#include "runtime/QXError.h"

namespace {

int formatOfBits(int bits) {
    switch (bits) {
    case 16: return QXFormatXRGB1555;
    case 24: return QXFormatRGB888;
    case 32: return QXFormatARGB8888;
    default: return 0;
    }
}

// Rows of a DIB section are padded to 4 bytes.
std::int64_t dibPitch(int width, int bits) { return (std::int64_t(width) * bits / 8 + 3) & ~std::int64_t(3); }

HBITMAP createTopDownSection(int width, int height, int bits, void** pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits);
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, pixels, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (bitmap && !*pixels) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

}  // namespace

Win32DIBGraphics::Win32DIBGraphics(int dibWidth, int dibHeight, HBITMAP dibBitmap, void* dibPixels, int bits)
    : QXGraphics(dibWidth, dibHeight),
      bitmap(dibBitmap),
      pixels(static_cast<std::uint8_t*>(dibPixels)),
      bitsPerPixel(bits),
      pitch(static_cast<int>(dibPitch(dibWidth, bits))),
      format(formatOfBits(bits)) {}

Win32DIBGraphics::~Win32DIBGraphics() {
    if (dc) DeleteDC(dc);
    DeleteObject(bitmap);
}

QXGraphics* Win32DIBGraphics::createCompatible(int newWidth, int newHeight) {
    return createDIB(newWidth, newHeight, bitsPerPixel);
}

QXPixelLock Win32DIBGraphics::lock() {
    // GDI may still hold drawing in its batch; it must reach the bits first.
    GdiFlush();
    return {pixels, pitch, format};
}

void Win32DIBGraphics::unlock() {}

HDC Win32DIBGraphics::getDC() {
    if (dcUseCount == 0) {
        dc = CreateCompatibleDC(nullptr);
        if (!dc) return nullptr;
        SelectObject(dc, bitmap);
    }
    ++dcUseCount;
    return dc;
}

void Win32DIBGraphics::releaseDC() {
    if (dcUseCount == 0) return;  // unpaired release: nothing is held
    if (--dcUseCount == 0) {
        DeleteDC(dc);
        dc = nullptr;
    }
}

Win32DIBGraphics* createDIB(int width, int height, int bits) {
    if (!formatOfBits(bits)) runtimeError("Illegal DIB bits");
    // A negative height would turn the rows bottom-up, and a section whose
    // offsets do not fit in 32 bits cannot be addressed: both count as refused.
    void* pixels = nullptr;
    HBITMAP bitmap = nullptr;
    if (width >= 0 && height >= 0 && dibPitch(width, bits) * height <= std::numeric_limits<std::int32_t>::max())
        bitmap = createTopDownSection(width, height, bits, &pixels);
    if (!bitmap) runtimeError("CreateDIBSection failed:%i %i", width, height);
    return new Win32DIBGraphics(width, height, bitmap, pixels, bits);
}

Win32DIB::Win32DIB() { registerModule("Win32DIB", nullptr, nullptr); }

// Between the joystick (16) and GDI (24): the list starts GDI, then DIB.
QX_MODULE_INSTANCE(Win32DIB, 19);
