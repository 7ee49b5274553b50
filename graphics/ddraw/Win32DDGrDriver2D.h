#pragma once
// The DirectDraw 2D driver ("DirectDraw", the default): draws on DirectDraw
// surfaces by the shared rules, with the surfaces' colour fill and blits.

#include "graphics/Win32GrDriver2D.h"

class Win32DDGrDriver2D : public Win32GrDriver2D {
public:
    Win32DDGrDriver2D();

    // Starts Win32DD first.
    bool startup() override;
    // Flags bit 0: kind 2 (24-bit with a display-format twin); else bit 1:
    // kind 1 (display format); else kind 0 (24-bit system memory).
    QXGraphics* createGraphics(int width, int height, int flags) override;

    class Context : public Win32GrContext {
    public:
        using Win32GrContext::Win32GrContext;
    };

protected:
    bool ownsGraphics(QXGraphics* graphics) override;
    QXGrContext* newContext(QXGraphics* graphics, QXFont* font) override;
    HDC takeTextDC() override;
    void releaseTextDC() override;
};

extern Win32DDGrDriver2D theWin32DDGrDriver2D;
