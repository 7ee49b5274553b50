#include "graphics/ddraw/Win32DDGrDriver2D.h"

#include <cstdint>
#include <cstring>
#include <utility>

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
    // Cleared before unlocking: the last release may destroy a store.
    const int sources = heldSourceCount_;
    heldSourceCount_ = 0;
    for (int i = 0; i < sources; ++i) {
        QXGraphics* source = std::exchange(heldSources_[i], nullptr);
        source->unlock();
        release(source);
    }
    if (!held_) return;
    QXGraphics* graphics = held_;
    held_ = nullptr;
    graphics->unlock();
}

const QXPixelLock& Win32DDGrDriver2D::holdTarget(QXGraphics* graphics) {
    if (held_ != graphics) {
        settle();
        heldLock_ = graphics->lock();
        held_ = graphics;
    }
    return heldLock_;
}

void Win32DDGrDriver2D::holdSource(QXGraphics* source) {
    if (source == held_) return;
    for (int i = 0; i < heldSourceCount_; ++i)
        if (heldSources_[i] == source) return;
    if (heldSourceCount_ == kHeldSources) {
        QXGraphics* target = held_;
        held_ = nullptr;  // kept locked while the sources go
        settle();
        held_ = target;
    }
    retain(source);
    source->lock();
    heldSources_[heldSourceCount_++] = source;
}

void Win32DDGrDriver2D::contextChanged(QXGrContext*, QXGrContext*) { settle(); }

void Win32DDGrDriver2D::plot(int x, int y) {
    QXGrContext& c = context() ? *context() : current();
    const Q2DRect& v = c.viewport;
    QXGraphics* graphics = c.graphics;
    if (x < v.left || x >= v.right || y < v.top || y >= v.bottom || x < 0 || y < 0 || x >= graphics->width ||
        y >= graphics->height)
        return;
    const QXPixelLock& lock = held_ == graphics ? heldLock_ : holdTarget(graphics);
    if (!lock.pixels) return;
    std::uint8_t* row = lock.pixels + std::ptrdiff_t(y) * lock.pitch;
    // The display format of today first: one store, no conversion.
    if (lock.format == QXFormatXRGB8888) {
        const std::uint32_t pixel = c.colour;
        std::memcpy(row + std::ptrdiff_t(x) * 4, &pixel, 4);
        return;
    }
    if (!isConvertibleFormat(lock.format)) return;
    storePixel(lock.format, row + std::ptrdiff_t(x) * bytesPerPixel(lock.format), toPixel(lock.format, c.colour));
}

void Win32DDGrDriver2D::rect(int x, int y, int w, int h, bool solid) {
    settle();
    Win32GrDriver2D::rect(x, y, w, h, solid);
}

void Win32DDGrDriver2D::blit(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) {
    QXGraphics* target = current().graphics;
    auto* to = dynamic_cast<Win32DDGraphics*>(target);
    auto* from = dynamic_cast<Win32DDGraphics*>(source);
    // In system memory the blitter is a CPU copy behind a lock of its own
    // (and Wine's colour-keyed one is several times slower than the plain
    // one); between formats it cannot serve at all. Then, with both surfaces
    // held locked, the surface's copy takes the portable path, which gives
    // the blitter's pixels, and the next blit finds them locked already.
    if (to && from && ((to->systemMemory && from->systemMemory) || !to->blitsFrom(*from))) {
        holdTarget(target);
        holdSource(from);
    } else {
        settle();
    }
    Win32GrDriver2D::blit(x, y, w, h, source, sourceX, sourceY, flags);
}

void Win32DDGrDriver2D::text(int x, int y, const QXString* string) {
    settle();
    Win32GrDriver2D::text(x, y, string);
}
