#include "graphics/gdi/Win32GDIGrDriver2D.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "graphics/gdi/Win32GDI.h"

namespace {
// GDI takes 32-bit coordinates; x + w beyond them is cut to the limit.
int edge(int position, int size) {
    const std::int64_t value = std::int64_t(position) + size;
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
}

Win32GDIGraphics* gdiStore(QXGraphics* graphics) { return dynamic_cast<Win32GDIGraphics*>(graphics); }

// Selects a GDI object for the lifetime of the holder.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, previous_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
}  // namespace

Win32GDIGrDriver2D::Win32GDIGrDriver2D() { registerModule("Win32GDIGrDriver2D", "GrDriver2D", "Native"); }

QX_MODULE_INSTANCE(Win32GDIGrDriver2D, 26);

bool Win32GDIGrDriver2D::startup() { return startModuleNamed("Win32GDI") && Win32GrDriver2D::startup(); }

QXGraphics* Win32GDIGrDriver2D::createGraphics(int width, int height, int) { return createGDIGraphics(width, height); }

bool Win32GDIGrDriver2D::ownsGraphics(QXGraphics* graphics) { return gdiStore(graphics) != nullptr; }

// ---------------------------------------------------------------- context

Win32GDIGrDriver2D::Context::Context(QXGraphics* graphics, QXFont* font, const Win32GrDriver2D& driver)
    : Win32GrContext(graphics, font, driver) {
    recolour();
}

Win32GDIGrDriver2D::Context::~Context() {
    if (pen) DeleteObject(pen);
    if (brush) DeleteObject(brush);
}

void Win32GDIGrDriver2D::Context::recolour() {
    if (pen) DeleteObject(pen);
    if (brush) DeleteObject(brush);
    pen = CreatePen(PS_SOLID, 1, colourRef(colour));
    brush = CreateSolidBrush(colourRef(colour));
}

QXGrContext* Win32GDIGrDriver2D::newContext(QXGraphics* graphics, QXFont* font) {
    return new Context(graphics, font, *this);
}

Win32GDIGrDriver2D::Context& Win32GDIGrDriver2D::gdiContext() { return static_cast<Context&>(current()); }

void Win32GDIGrDriver2D::contextChanged(QXGrContext* previous, QXGrContext* next) {
    if (previous && dc_) {
        if (Win32GDIGraphics* store = gdiStore(previous->graphics)) store->releaseDC();
    }
    dc_ = nullptr;
    gdiDrawn();
    if (next) {
        if (Win32GDIGraphics* store = gdiStore(next->graphics)) dc_ = store->getDC();
    }
}

void Win32GDIGrDriver2D::colourChanged() { gdiContext().recolour(); }

void Win32GDIGrDriver2D::text(int x, int y, const QXString* string) {
    gdiDrawn();
    Win32GrDriver2D::text(x, y, string);
}

HDC Win32GDIGrDriver2D::takeTextDC() {
    current();
    return dc_;
}

// ---------------------------------------------------------------- primitives

// The pixel FillRect would set, stored straight into the DIB (GDI's own
// queue flushed first so that it lands after earlier drawing). Like GDI, only
// the store's edges clip it.
void Win32GDIGrDriver2D::plot(int x, int y) {
    Context& c = context() ? static_cast<Context&>(*context()) : gdiContext();
    auto* store = static_cast<Win32GDIGraphics*>(c.graphics);
    Win32DIBGraphics& dib = *store->dib;
    if (x < 0 || y < 0 || x >= dib.width || y >= dib.height || !dib.pixels) return;
    if (!batchFlushed_) {
        GdiFlush();
        batchFlushed_ = true;
    }
    storePixel(dib.format, dib.pixels + std::ptrdiff_t(y) * dib.pitch + std::ptrdiff_t(x) * bytesPerPixel(dib.format),
               toPixel(dib.format, c.colour));
}

// GDI would turn a box of negative size around; like the other drivers, it draws nothing.
void Win32GDIGrDriver2D::rect(int x, int y, int w, int h, bool solid) {
    Context& c = gdiContext();
    if (!dc_ || w <= 0 || h <= 0) return;
    gdiDrawn();
    if (solid) {
        const RECT area{x, y, edge(x, w), edge(y, h)};
        FillRect(dc_, &area, c.brush);
        return;
    }
    Selected pen(dc_, c.pen);
    Selected brush(dc_, GetStockObject(NULL_BRUSH));
    Rectangle(dc_, x, y, edge(x, w), edge(y, h));
}

void Win32GDIGrDriver2D::line(int x1, int y1, int x2, int y2) {
    Context& c = gdiContext();
    if (!dc_) return;
    gdiDrawn();
    Selected pen(dc_, c.pen);
    const POINT points[] = {{x1, y1}, {x2, y2}};
    Polyline(dc_, points, 2);
}

void Win32GDIGrDriver2D::oval(int x, int y, int w, int h, bool solid) {
    Context& c = gdiContext();
    if (!dc_ || w <= 0 || h <= 0) return;
    gdiDrawn();
    Selected pen(dc_, solid ? GetStockObject(NULL_PEN) : static_cast<HGDIOBJ>(c.pen));
    Selected brush(dc_, solid ? static_cast<HGDIOBJ>(c.brush) : GetStockObject(NULL_BRUSH));
    Ellipse(dc_, x, y, edge(x, w), edge(y, h));
}
