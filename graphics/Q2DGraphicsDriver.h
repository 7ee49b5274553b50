#pragma once
// The module that ties the screen driver and the 2D driver together: it
// starts both subsystems of the selected configuration.

#include "runtime/QXModule.h"

class Q2DGraphicsDriver : public QXModule {
public:
    Q2DGraphicsDriver();

    bool startup() override;
    // No buffer stays current past the driver that made its context.
    void shutdown() override;
};

extern Q2DGraphicsDriver theQ2DGraphicsDriver;

// The driver families as the commands number them: 1 "Native", 2 "OpenGL",
// 3 "DirectDraw"; null for any other number.
const char* gfxDriverName(int driver);
inline constexpr int kGfxDriverCount = 3;
