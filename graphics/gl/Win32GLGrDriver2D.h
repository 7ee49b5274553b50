#pragma once
// The OpenGL 2D driver ("OpenGL"). On a frame buffer it draws with GL,
// placing vertices so that points, rectangles, ovals, Cls and blits hit
// exactly the pixels of the shared rules; image frames are memory stores
// drawn by the shared rules and uploaded as textures when blitted.

#include "graphics/win32/Win32GrDriver2D.h"
#include "graphics/gl/Win32GL.h"

class Win32GLGrDriver2D : public Win32GrDriver2D {
public:
    Win32GLGrDriver2D();

    bool startup() override;
    // Always a memory store (the flags do not matter).
    QXGraphics* createGraphics(int width, int height, int flags) override;

    // Plots are kept by the frame buffer and drawn together.
    void plot(int x, int y) override;
    void line(int x1, int y1, int x2, int y2) override;
    void rect(int x, int y, int w, int h, bool solid) override;
    void blit(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) override;
    void text(int x, int y, const QXString* text) override;

    class Context : public Win32GrContext {
    public:
        using Win32GrContext::Win32GrContext;
    };

protected:
    bool ownsGraphics(QXGraphics* graphics) override;
    QXGrContext* newContext(QXGraphics* graphics, QXFont* font) override;
    void contextChanged(QXGrContext* previous, QXGrContext* current) override;
    void colourChanged() override;
    void viewportChanged() override;
    HDC takeTextDC() override;
    void releaseTextDC() override;

private:
    // The current frame buffer, made current; null when the context's store
    // is a memory store (drawn by the shared rules).
    Win32GLGraphics* frameBuffer();
    // As frameBuffer, with the plotted points drawn, for any other drawing.
    Win32GLGraphics* drawingFrame();
    void applyState();
    void quad(const Q2DRect& area);
    Win32DIBGraphics* textDib_ = nullptr;
    // The current context's frame buffer, if its store is one (held by the context).
    Win32GLGraphics* currentFrame_ = nullptr;
};

extern Win32GLGrDriver2D theWin32GLGrDriver2D;
