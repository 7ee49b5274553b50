// The drawing commands, which act on the current buffer through the active
// 2D driver, and the commands that choose buffers and drivers.

#include <cstdint>

#include "core/QXString.h"
#include "graphics/Q2DBuffer.h"
#include "graphics/Q2DGraphicsDriver.h"
#include "runtime/QXError.h"
#include "runtime/QXRegistry.h"

namespace {

// Adding the origin wraps around as 32-bit arithmetic does.
int offset(int value, int origin) {
    return static_cast<int>(static_cast<std::uint32_t>(value) + static_cast<std::uint32_t>(origin));
}

QXGrDriver2D& driver() { return activeGrDriver2D(); }

QXFont& contextFont() {
    QXFont* font = driver().getFont();
    if (!font) runtimeError("Incompatible font");
    return *font;
}

// ---------------------------------------------------------------- state

void QXCALL Color(int red, int green, int blue) {
    Q2DBuffer& buffer = currentBuffer();
    buffer.colour = q2dColour(red, green, blue);
    driver().setColour(buffer.colour);
}

void QXCALL ClsColor(int red, int green, int blue) { currentBuffer().clearColour = q2dColour(red, green, blue); }

void QXCALL SetFont(int font) {
    QXFont* checked = checkHandle<QXFont>(font, "Font");
    currentBuffer();
    driver().setFont(checked);
}

void QXCALL Origin(int x, int y) {
    Q2DBuffer& buffer = currentBuffer();
    buffer.originX = x;
    buffer.originY = y;
}

void QXCALL Viewport(int x, int y, int width, int height) {
    Q2DBuffer& buffer = currentBuffer();
    const Q2DRect r = q2dClampViewport(x, y, width, height, buffer.graphics->width, buffer.graphics->height);
    driver().setViewport(r.left, r.top, r.right, r.bottom);
}

// ---------------------------------------------------------------- drawing

void QXCALL Cls() {
    Q2DBuffer& buffer = currentBuffer();
    QXGrDriver2D& d = driver();
    const Q2DRect r = d.getViewport();
    d.setColour(buffer.clearColour);
    d.rect(r.left, r.top, r.width(), r.height(), true);
    d.setColour(buffer.colour);
}

// Programs plot pixels by the million: the checks that raise the errors are
// out of line only when they fail.
void QXCALL Plot(int x, int y) {
    Q2DBuffer* buffer = q2dCurrent.buffer;
    QXGrDriver2D* active = grDriver2D();
    if (!buffer || !active) [[unlikely]] {
        Q2DBuffer& checked = currentBuffer();
        return driver().plot(offset(x, checked.originX), offset(y, checked.originY));
    }
    active->plot(offset(x, buffer->originX), offset(y, buffer->originY));
}

void QXCALL Line(int x1, int y1, int x2, int y2) {
    Q2DBuffer& buffer = currentBuffer();
    driver().line(offset(x1, buffer.originX), offset(y1, buffer.originY), offset(x2, buffer.originX),
                  offset(y2, buffer.originY));
}

void QXCALL Rect(int x, int y, int width, int height, int solid) {
    Q2DBuffer& buffer = currentBuffer();
    driver().rect(offset(x, buffer.originX), offset(y, buffer.originY), width, height, solid != 0);
}

void QXCALL Oval(int x, int y, int width, int height, int solid) {
    Q2DBuffer& buffer = currentBuffer();
    driver().oval(offset(x, buffer.originX), offset(y, buffer.originY), width, height, solid != 0);
}

void QXCALL Text(int x, int y, QXString* text, int centreX, int centreY) {
    Q2DBuffer& buffer = currentBuffer();
    if (centreX || centreY) {
        const QXTextSize size = contextFont().measure(text);
        if (centreX) x = q2dCentred(x, size.width);
        if (centreY) y = q2dCentred(y, size.height);
    }
    driver().text(offset(x, buffer.originX), offset(y, buffer.originY), text);
}

void QXCALL GetColor(int x, int y) {
    Q2DBuffer& buffer = currentBuffer();
    QXGrDriver2D& d = driver();
    const std::int64_t px = std::int64_t(x) + buffer.originX, py = std::int64_t(y) + buffer.originY;
    const Q2DRect view = d.getViewport();
    QXColour colour = buffer.clearColour;
    const bool inside = px >= view.left && px < view.right && py >= view.top && py < view.bottom &&
                        px < buffer.graphics->width && py < buffer.graphics->height && px >= 0 && py >= 0;
    if (inside) buffer.graphics->read(static_cast<int>(px), static_cast<int>(py), 1, 1, &colour, 4);
    buffer.colour = colour;
    d.setColour(colour);
}

int QXCALL ColorRed() { return static_cast<int>((currentBuffer().colour >> 16) & 0xFF); }
int QXCALL ColorGreen() { return static_cast<int>((currentBuffer().colour >> 8) & 0xFF); }
int QXCALL ColorBlue() { return static_cast<int>(currentBuffer().colour & 0xFF); }

int QXCALL StringWidth(QXString* text) {
    currentBuffer();
    return contextFont().measure(text).width;
}

int QXCALL StringHeight(QXString* text) {
    currentBuffer();
    return contextFont().measure(text).height;
}

int QXCALL FontWidth() {
    currentBuffer();
    return contextFont().width();
}

int QXCALL FontHeight() {
    currentBuffer();
    return contextFont().height();
}

// ---------------------------------------------------------------- buffers and drivers

int QXCALL SetBuffer(int buffer) {
    Q2DBuffer* next = checkHandle<Q2DBuffer>(buffer, "Buffer");
    return handleOf(setCurrentBuffer(next));
}

int QXCALL GraphicsBuffer() { return handleOf(q2dCurrent.buffer); }

int QXCALL CountGfxDrivers() { return kGfxDriverCount; }

const char* checkedDriverName(int driver) {
    const char* name = gfxDriverName(driver);
    if (!name) runtimeError("Illegal graphics driver index");
    return name;
}

QXString* QXCALL GfxDriverName(int driver) { return newString(checkedDriverName(driver)); }

void QXCALL SetGfxDriver(int driver) {
    const char* name = checkedDriverName(driver);
    for (const char* subsystem : {"Screen", "Canvas", "Graphics", "GrDriver2D"}) selectConfig(subsystem, name);
    moduleList().stopDriverModules();
    moduleList().startDriverModules();
}

const QXSymbol commands[] = {
    QX_COMMAND("Color%red%green%blue", Color),
    QX_COMMAND("ClsColor%red%green%blue", ClsColor),
    QX_COMMAND("SetFont%font", SetFont),
    QX_COMMAND("Origin%x%y", Origin),
    QX_COMMAND("Viewport%x%y%width%height", Viewport),
    QX_COMMAND("Cls", Cls),
    QX_COMMAND("Plot%x%y", Plot),
    QX_COMMAND("Line%x1%y1%x2%y2", Line),
    QX_COMMAND("Rect%x%y%width%height%solid=1", Rect),
    QX_COMMAND("Oval%x%y%width%height%solid=1", Oval),
    QX_COMMAND("Text%x%y$text%center_x=0%center_y=0", Text),
    QX_COMMAND("GetColor%x%y", GetColor),
    QX_COMMAND("%ColorRed", ColorRed),
    QX_COMMAND("%ColorGreen", ColorGreen),
    QX_COMMAND("%ColorBlue", ColorBlue),
    QX_COMMAND("%StringWidth$str", StringWidth),
    QX_COMMAND("%StringHeight$str", StringHeight),
    QX_COMMAND("%FontWidth", FontWidth),
    QX_COMMAND("%FontHeight", FontHeight),
    QX_COMMAND("%SetBuffer%buffer", SetBuffer),
    QX_COMMAND("%GraphicsBuffer", GraphicsBuffer),
    QX_COMMAND("%CountGfxDrivers", CountGfxDrivers),
    QX_COMMAND("$GfxDriverName%driver", GfxDriverName),
    QX_COMMAND("SetGfxDriver%driver", SetGfxDriver),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Graphics, commands);

}  // namespace
