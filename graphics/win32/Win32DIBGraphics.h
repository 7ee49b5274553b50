#pragma once
// A pixel store over a top-down Windows DIB section: the runtime addresses
// its pixels directly and GDI draws on it through a memory device context.

#include <windows.h>

#include <cstdint>

#include "graphics/QXGraphics.h"
#include "runtime/QXModule.h"

class Win32DIBGraphics : public QXGraphics {
public:
    ~Win32DIBGraphics() override;

    // Another DIB section of the same bit count.
    QXGraphics* createCompatible(int newWidth, int newHeight) override;
    QXPixelLock lock() override;
    void unlock() override;

    // A memory device context with the bitmap selected, created by the first
    // request; each request must be paired with releaseDC, and the context is
    // deleted when the last user gives it back.
    HDC getDC();
    void releaseDC();

    HDC dc = nullptr;
    int dcUseCount = 0;
    HBITMAP bitmap;
    std::uint8_t* pixels;
    int bitsPerPixel;
    int pitch;
    int format;

private:
    friend Win32DIBGraphics* createDIB(int width, int height, int bits);
    Win32DIBGraphics(int width, int height, HBITMAP bitmap, void* pixels, int bits);
};

// A DIB section of 16 (format 2), 24 (format 3) or 32 (format 7) bits per pixel,
// count 1. Other bit counts stop with "Illegal DIB bits"; a section Windows
// refuses stops with "CreateDIBSection failed:<width> <height>".
Win32DIBGraphics* createDIB(int width, int height, int bits);

// The plain module of DIB sections: it holds no state of its own (each
// section is complete in itself) but takes its place among the modules that
// start with every program.
class Win32DIB : public QXModule {
public:
    Win32DIB();
};

extern Win32DIB theWin32DIB;
