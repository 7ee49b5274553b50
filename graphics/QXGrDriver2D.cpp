#include "graphics/QXGrDriver2D.h"

#include "runtime/QXError.h"

QXGrContext::QXGrContext(QXGraphics* contextGraphics, QXFont* contextFont)
    : graphics(contextGraphics), font(contextFont) {
    if (graphics) {
        retain(graphics);
        viewport = {0, 0, graphics->width, graphics->height};
    }
    if (font) retain(font);
}

QXGrContext::~QXGrContext() {
    release(font);
    release(graphics);
}

void QXGrContext::replaceFont(QXFont* newFont) {
    if (newFont) retain(newFont);
    release(font);
    font = newFont;
}

namespace {
QXGrDriver2D* activeDriver = nullptr;
}

QXGrDriver2D* grDriver2D() { return activeDriver; }
void setGrDriver2D(QXGrDriver2D* driver) { activeDriver = driver; }

QXGrDriver2D& activeGrDriver2D() {
    if (!activeDriver) runtimeError("No 2D graphics driver");
    return *activeDriver;
}
