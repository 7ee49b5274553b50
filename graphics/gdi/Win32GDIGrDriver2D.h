#pragma once
// The GDI 2D driver ("Native"): primitives are GDI calls on the DIB's device
// context, held while the context is current. GDI is not clipped to the
// viewport (only text is), its lines leave out the end point and its ellipses
// have pixels of their own; rectangles, plots, blits and Cls match the
// DirectDraw driver's pixels. Plots store straight into the DIB.

#include "graphics/win32/Win32GrDriver2D.h"

class Win32GDIGrDriver2D : public Win32GrDriver2D {
public:
    Win32GDIGrDriver2D();

    bool startup() override;
    // Always a 24-bit DIB store; the flags do not matter.
    QXGraphics* createGraphics(int width, int height, int flags) override;

    void plot(int x, int y) override;
    void line(int x1, int y1, int x2, int y2) override;
    void rect(int x, int y, int w, int h, bool solid) override;
    void oval(int x, int y, int w, int h, bool solid) override;
    void text(int x, int y, const QXString* text) override;

    // Adds a solid pen of width 1 and a solid brush in the context's colour.
    class Context : public Win32GrContext {
    public:
        Context(QXGraphics* graphics, QXFont* font, const Win32GrDriver2D& driver);
        ~Context() override;
        void recolour();

        HPEN pen = nullptr;
        HBRUSH brush = nullptr;
    };

protected:
    bool ownsGraphics(QXGraphics* graphics) override;
    QXGrContext* newContext(QXGraphics* graphics, QXFont* font) override;
    void contextChanged(QXGrContext* previous, QXGrContext* current) override;
    void colourChanged() override;
    HDC takeTextDC() override;
    void releaseTextDC() override {}

private:
    Context& gdiContext();
    // Plots store into the DIB only once GDI's batch holds none of this
    // driver's drawing: every primitive drawn through dc_ may leave some, and
    // the screens and canvases flush after their own reads of the DIB.
    void gdiDrawn() { batchFlushed_ = false; }
    HDC dc_ = nullptr;
    bool batchFlushed_ = false;
};

extern Win32GDIGrDriver2D theWin32GDIGrDriver2D;
