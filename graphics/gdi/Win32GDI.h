#pragma once
// GDI drawing: the module of the native family and its pixel store, a 24-bit
// DIB section that the runtime addresses directly and GDI draws on.

#include "graphics/win32/Win32DIBGraphics.h"
#include "runtime/QXModule.h"

class Win32GDI : public QXModule {
public:
    Win32GDI();
};

extern Win32GDI theWin32GDI;

// The native family's store: a 24-bit DIB section (pixels, lock and device
// context all its own).
class Win32GDIGraphics : public QXGraphics {
public:
    // Takes over `dib`.
    explicit Win32GDIGraphics(Win32DIBGraphics* dib);
    ~Win32GDIGraphics() override;

    QXGraphics* createCompatible(int newWidth, int newHeight) override;
    QXPixelLock lock() override { return dib->lock(); }
    void unlock() override { dib->unlock(); }

    HDC getDC() { return dib->getDC(); }
    void releaseDC() { dib->releaseDC(); }

    Win32DIBGraphics* dib;
};

// A 24-bit GDI store (count 1).
Win32GDIGraphics* createGDIGraphics(int width, int height);
