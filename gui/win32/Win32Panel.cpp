#include "gui/win32/Win32Panel.h"

#include "graphics/QXPixelFormat.h"
#include "graphics/QXPixmap.h"

namespace {
constexpr DWORD kVisibleClippingChild = 0x42000000;

// The pixmap as a top-down 24-bit bitmap compatible with the screen, or null.
HBITMAP bitmapFromPixmap(QXPixmap& pixmap, int width, int height) {
    // 24-bit rows padded to 4 bytes, as a DIB wants them.
    QXPixmap* rows = createPixmap(width, height, QXFormatRGB888, 4);
    if (!rows->hasPixels() || !pixmap.hasPixels()) {
        release(rows);
        return nullptr;
    }
    const int sourceBytes = bytesPerPixel(pixmap.format);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = pixmap.pixels + static_cast<std::size_t>(y) * pixmap.pitch;
        std::uint8_t* to = rows->pixels + static_cast<std::size_t>(y) * rows->pitch;
        for (int x = 0; x < width; ++x)
            writeColour(QXFormatRGB888, to + x * 3, readColour(pixmap.format, from + x * sourceBytes));
    }

    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    if (bitmap && SetDIBits(screen, bitmap, 0, static_cast<UINT>(height), rows->pixels, &info, DIB_RGB_COLORS) == 0) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    ReleaseDC(nullptr, screen);
    release(rows);
    return bitmap;
}
}  // namespace

Win32Panel::~Win32Panel() {
    control_.destroy();
    dropBackground();
}

bool Win32Panel::create() {
    if (!createControl(win32WindowClass(), (style() & 1) ? WS_EX_CLIENTEDGE : 0, kVisibleClippingChild)) return false;
    control_.setSensitivity(kSenseKeysAndButtons, this);
    return true;
}

void Win32Panel::dropBackground() {
    if (brush_) DeleteObject(brush_);
    if (bitmap_) DeleteObject(bitmap_);
    brush_ = nullptr;
    bitmap_ = nullptr;
}

void Win32Panel::setBackgroundColour(int bgr) {
    dropBackground();
    brush_ = CreateSolidBrush(static_cast<COLORREF>(bgr));
    if (control_.hwnd()) InvalidateRect(control_.hwnd(), nullptr, TRUE);
}

bool Win32Panel::setBackgroundImage(QXPixmap* pixmap) {
    const int width = pixmap->width, height = pixmap->height;
    if (width <= 0 || height <= 0 || width > kPanelImageMaxSide || height > kPanelImageMaxSide) return false;
    HBITMAP bitmap = bitmapFromPixmap(*pixmap, width, height);
    if (!bitmap) return false;
    dropBackground();
    bitmap_ = bitmap;
    bitmapWidth_ = width;
    bitmapHeight_ = height;
    if (control_.hwnd()) InvalidateRect(control_.hwnd(), nullptr, TRUE);
    return true;
}

bool Win32Panel::paintBackground(HDC dc) {
    RECT area{};
    GetClientRect(control_.hwnd(), &area);
    if (bitmap_) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(source, bitmap_);
        for (int y = 0; y < area.bottom; y += bitmapHeight_)
            for (int x = 0; x < area.right; x += bitmapWidth_)
                BitBlt(dc, x, y, bitmapWidth_, bitmapHeight_, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
        return true;
    }
    if (brush_) {
        FillRect(dc, &area, brush_);
        return true;
    }
    return false;
}

LRESULT Win32Panel::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (message == WM_ERASEBKGND && hwnd == control_.hwnd() && paintBackground(reinterpret_cast<HDC>(wParam)))
        return 1;
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}
