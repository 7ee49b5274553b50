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
