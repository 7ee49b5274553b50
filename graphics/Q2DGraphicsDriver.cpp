#include "graphics/Q2DGraphicsDriver.h"

#include "graphics/Q2DBuffer.h"
#include "graphics/Q2DScreen.h"

Q2DGraphicsDriver::Q2DGraphicsDriver() { registerModule("Q2DGraphicsDriver", "Graphics", nullptr); }

QX_MODULE_INSTANCE(Q2DGraphicsDriver, 11);

bool Q2DGraphicsDriver::startup() {
    if (!startSubsystem("Screen") || !startSubsystem("GrDriver2D")) return false;
    startScreens();
    return true;
}

void Q2DGraphicsDriver::shutdown() {
    endScreens();
    setCurrentBuffer(nullptr);
}

const char* gfxDriverName(int driver) {
    static const char* const names[] = {"Native", "OpenGL", "DirectDraw"};
    return driver >= 1 && driver <= kGfxDriverCount ? names[driver - 1] : nullptr;
}
