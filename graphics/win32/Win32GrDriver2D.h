#pragma once
// What the three Windows 2D drivers share: the current context, the default
// font, the state slots, and the drawing rules of the DirectDraw driver
// written over the store's own operations (fill for rectangles, a single lock
// for lines, copy for blits, a device context for text). Each driver says
// which contexts and stores are its own and overrides what it does its own way.

#include <windows.h>

#include "graphics/QXGrDriver2D.h"

class Win32GrDriver2D;

// A context of one start of one Windows driver: contexts left over from
// another driver, or from before the driver was restarted, are refused.
class Win32GrContext : public QXGrContext {
public:
    Win32GrContext(QXGraphics* graphics, QXFont* font, const Win32GrDriver2D& driver);

    const Win32GrDriver2D* driver;
    int generation;
};

class Win32GrDriver2D : public QXGrDriver2D {
public:
    using QXGrDriver2D::QXGrDriver2D;

    // Starts the font driver, makes the default font and becomes the active
    // driver. Drivers start their own module first, then call this.
    bool startup() override;
    // Drops the current context and the default font.
    void shutdown() override;

    void setContext(QXGrContext* context) override;
    QXGrContext* createContext(QXGraphics* graphics) override;
    void setFont(QXFont* font) override;
    void setColour(QXColour colour) override;
    void setViewport(int left, int top, int right, int bottom) override;
    QXFont* getFont() override;
    QXColour getColour() override;
    Q2DRect getViewport() override;
    void plot(int x, int y) override;
    void line(int x1, int y1, int x2, int y2) override;
    void rect(int x, int y, int w, int h, bool solid) override;
    void oval(int x, int y, int w, int h, bool solid) override;
    void blit(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) override;
    void text(int x, int y, const QXString* text) override;

    QXGrContext* context() const { return context_; }
    // Counts the starts of the driver.
    int generation() const { return generation_; }
    QXFont* defaultFont() const { return defaultFont_; }

protected:
    // Whether the context was made by this start of this driver.
    bool ownsContext(QXGrContext* context) const;
    // Whether the store is of the driver's kind (and of the running start).
    virtual bool ownsGraphics(QXGraphics* graphics) = 0;
    // A new context of the driver's kind for `graphics` with `font` (count 1).
    virtual QXGrContext* newContext(QXGraphics* graphics, QXFont* font) = 0;
    // Called after the current context changed (either may be null).
    virtual void contextChanged(QXGrContext* previous, QXGrContext* current);
    // Called after the current context's colour changed.
    virtual void colourChanged() {}
    // Called after the current context's viewport changed.
    virtual void viewportChanged() {}
    // A device context on the current store for text, or null; each
    // non-null answer is given back with releaseTextDC.
    virtual HDC takeTextDC() = 0;
    virtual void releaseTextDC() = 0;

    // The current context, or the runtime error "No graphics buffer is set".
    QXGrContext& current();
    // Fills the area, cut to the viewport, in the context's colour.
    void fillClipped(int x, int y, int w, int h);

private:
    QXGrContext* context_ = nullptr;
    QXFont* defaultFont_ = nullptr;
    int generation_ = 0;
};

// The COLORREF of a colour value (red in the low byte, top byte 0).
constexpr COLORREF colourRef(QXColour colour) {
    return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}
