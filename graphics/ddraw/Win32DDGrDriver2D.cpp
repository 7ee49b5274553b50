#include "graphics/ddraw/Win32DDGrDriver2D.h"

#include "graphics/ddraw/Win32DD.h"
#include "graphics/ddraw/Win32DDGraphics.h"

Win32DDGrDriver2D::Win32DDGrDriver2D() { registerModule("Win32DDGrDriver2D", "GrDriver2D", "DirectDraw"); }

QX_MODULE_INSTANCE(Win32DDGrDriver2D, 18);

bool Win32DDGrDriver2D::startup() { return startModuleNamed("Win32DD") && Win32GrDriver2D::startup(); }

QXGraphics* Win32DDGrDriver2D::createGraphics(int width, int height, int flags) {
    const int kind = (flags & kGraphicsSystemWithTwin) ? kDDSystem24WithTwin
                     : (flags & kGraphicsDisplayFormat) ? kDDDisplay
                                                        : kDDSystem24;
    return createDDGraphics(kind, width, height);
}

bool Win32DDGrDriver2D::ownsGraphics(QXGraphics* graphics) {
    auto* surface = dynamic_cast<Win32DDGraphics*>(graphics);
    return surface && surface->generation == theWin32DD.generation();
}

QXGrContext* Win32DDGrDriver2D::newContext(QXGraphics* graphics, QXFont* font) {
    return new Context(graphics, font, *this);
}

HDC Win32DDGrDriver2D::takeTextDC() {
    auto* surface = dynamic_cast<Win32DDGraphics*>(current().graphics);
    return surface ? surface->getDC() : nullptr;
}

void Win32DDGrDriver2D::releaseTextDC() {
    if (auto* surface = dynamic_cast<Win32DDGraphics*>(current().graphics)) surface->releaseDC();
}

// ---------------------------------------------------------------- plots on a held lock

void Win32DDGrDriver2D::shutdown() {
    settle();
    Win32GrDriver2D::shutdown();
}

void Win32DDGrDriver2D::settle() {
    if (!held_) return;
    QXGraphics* graphics = held_;
    held_ = nullptr;
    graphics->unlock();
}

void Win32DDGrDriver2D::contextChanged(QXGrContext*, QXGrContext*) { settle(); }

void Win32DDGrDriver2D::plot(int x, int y) {
    QXGrContext& c = current();
    const Q2DRect& v = c.viewport;
    QXGraphics* graphics = c.graphics;
    if (x < v.left || x >= v.right || y < v.top || y >= v.bottom || x < 0 || y < 0 || x >= graphics->width ||
        y >= graphics->height)
        return;
    if (held_ != graphics) {
        settle();
        heldLock_ = graphics->lock();
        held_ = graphics;
    }
    if (!heldLock_.pixels || !isConvertibleFormat(heldLock_.format)) return;
    storePixel(heldLock_.format,
               heldLock_.pixels + std::ptrdiff_t(y) * heldLock_.pitch + std::ptrdiff_t(x) * bytesPerPixel(heldLock_.format),
               toPixel(heldLock_.format, c.colour));
}

void Win32DDGrDriver2D::rect(int x, int y, int w, int h, bool solid) {
    settle();
    Win32GrDriver2D::rect(x, y, w, h, solid);
}

void Win32DDGrDriver2D::blit(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) {
    settle();
    Win32GrDriver2D::blit(x, y, w, h, source, sourceX, sourceY, flags);
}

void Win32DDGrDriver2D::text(int x, int y, const QXString* string) {
    settle();
    Win32GrDriver2D::text(x, y, string);
}
