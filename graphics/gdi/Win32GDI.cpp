#include "graphics/gdi/Win32GDI.h"

Win32GDI::Win32GDI() { registerModule("Win32GDI", nullptr, nullptr); }

QX_MODULE_INSTANCE(Win32GDI, 24);

Win32GDIGraphics::Win32GDIGraphics(Win32DIBGraphics* storeDib) : QXGraphics(storeDib->width, storeDib->height), dib(storeDib) {}

Win32GDIGraphics::~Win32GDIGraphics() { release(dib); }

QXGraphics* Win32GDIGraphics::createCompatible(int newWidth, int newHeight) {
    return createGDIGraphics(newWidth, newHeight);
}

Win32GDIGraphics* createGDIGraphics(int width, int height) { return new Win32GDIGraphics(createDIB(width, height, 24)); }
