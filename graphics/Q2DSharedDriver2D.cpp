#include "graphics/Q2DSharedDriver2D.h"

#include "runtime/QXError.h"

Q2DSharedContext::Q2DSharedContext(QXGraphics* graphics, QXFont* font, const Q2DSharedDriver2D& owner)
    : QXGrContext(graphics, font), driver(&owner), generation(owner.generation()) {}

bool Q2DSharedDriver2D::ownsContext(QXGrContext* candidate) const {
    auto* context = dynamic_cast<Q2DSharedContext*>(candidate);
    return context && context->driver == this && context->generation == generation_;
}

bool Q2DSharedDriver2D::startup() {
    if (makesDefaultFontAtStart() && !defaultFont()) return false;
    ++generation_;
    setGrDriver2D(this);
    return true;
}

void Q2DSharedDriver2D::shutdown() {
    setContext(nullptr);
    release(defaultFont_);
    defaultFont_ = nullptr;
    if (grDriver2D() == this) setGrDriver2D(nullptr);
}

void Q2DSharedDriver2D::setContext(QXGrContext* newContext) {
    if (newContext && !ownsContext(newContext)) runtimeError("Incompatible graphics context");
    if (newContext) retain(newContext);
    QXGrContext* previous = context_;
    context_ = newContext;
    contextChanged(previous, newContext);
    release(previous);
}

void Q2DSharedDriver2D::contextChanged(QXGrContext*, QXGrContext*) {}

QXGrContext* Q2DSharedDriver2D::createContext(QXGraphics* graphics) {
    if (!graphics || !ownsGraphics(graphics)) runtimeError("Incompatible graphics");
    return newContext(graphics, defaultFont());
}

QXFont* Q2DSharedDriver2D::defaultFont() {
    if (!defaultFont_) defaultFont_ = makeDefaultFont();
    return defaultFont_;
}

QXGrContext& Q2DSharedDriver2D::current() {
    if (!context_) runtimeError("No graphics buffer is set");
    return *context_;
}

void Q2DSharedDriver2D::setFont(QXFont* font) {
    if (!ownsFont(font)) runtimeError("Incompatible font");
    current().replaceFont(font);
}

void Q2DSharedDriver2D::setColour(QXColour colour) {
    current().colour = colour;
    colourChanged();
}

void Q2DSharedDriver2D::setViewport(int left, int top, int right, int bottom) {
    current().viewport = {left, top, right, bottom};
    viewportChanged();
}

QXFont* Q2DSharedDriver2D::getFont() { return current().font; }
QXColour Q2DSharedDriver2D::getColour() { return current().colour; }
Q2DRect Q2DSharedDriver2D::getViewport() { return current().viewport; }

void Q2DSharedDriver2D::fillClipped(int x, int y, int w, int h) {
    QXGrContext& c = current();
    Q2DRect area;
    if (!q2dClip(c.viewport, x, y, w, h, area)) return;
    c.graphics->fill(area.left, area.top, area.width(), area.height(), c.colour);
}

void Q2DSharedDriver2D::plot(int x, int y) { rect(x, y, 1, 1, true); }

void Q2DSharedDriver2D::rect(int x, int y, int w, int h, bool solid) {
    Q2DRect box;
    if (!q2dClip(current().viewport, x, y, w, h, box)) return;
    if (solid) {
        fillClipped(x, y, w, h);
        return;
    }
    fillClipped(x, y, w, 1);
    fillClipped(x, y, 1, h);
    // An edge beyond the 32-bit range lies outside every viewport.
    const std::int64_t rightEdge = std::int64_t(x) + w - 1, bottomEdge = std::int64_t(y) + h - 1;
    if (rightEdge < box.right) fillClipped(static_cast<int>(rightEdge), y, 1, h);
    if (bottomEdge < box.bottom) fillClipped(x, static_cast<int>(bottomEdge), w, 1);
}

void Q2DSharedDriver2D::line(int x1, int y1, int x2, int y2) {
    QXGrContext& c = current();
    // The viewport is stored as given; the store's own bounds keep every
    // pixel store inside its memory.
    Q2DRect window;
    if (!q2dClip({0, 0, c.graphics->width, c.graphics->height}, c.viewport.left, c.viewport.top,
                 c.viewport.width(), c.viewport.height(), window))
        return;
    if (!q2dClipLine(window, x1, y1, x2, y2)) return;
    if (x1 == x2 && y1 == y2) {
        plot(x1, y1);
        return;
    }
    QXGraphicsLock lock(*c.graphics);
    if (!lock->pixels || !isConvertibleFormat(lock->format)) return;
    const std::uint32_t pixel = toPixel(lock->format, c.colour);
    const int bytes = bytesPerPixel(lock->format);
    std::uint8_t* const origin = lock->pixels;
    const int pitch = lock->pitch;
    q2dBresenham(x1, y1, x2, y2, [&](int x, int y) {
        storePixel(lock->format, origin + std::ptrdiff_t(y) * pitch + std::ptrdiff_t(x) * bytes, pixel);
    });
}

void Q2DSharedDriver2D::oval(int x, int y, int w, int h, bool solid) {
    Q2DRect box;
    if (!q2dClip(current().viewport, x, y, w, h, box)) return;
    const Q2DOval shape(x, y, w, h);
    shape.rows(box.top, box.bottom, solid, [&](int rx, int ry, int rw, int rh) { rect(rx, ry, rw, rh, true); });
}

void Q2DSharedDriver2D::blit(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) {
    QXGrContext& c = current();
    Q2DRect area;
    if (!source || !q2dClipWithSource(c.viewport, x, y, w, h, sourceX, sourceY, area)) return;
    c.graphics->copy(area.left, area.top, area.width(), area.height(), source, sourceX, sourceY, flags);
}
