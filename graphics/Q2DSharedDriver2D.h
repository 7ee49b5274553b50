#pragma once
// What every 2D driver that draws by the shared rules has in common: the
// current context, the default font, the state slots, and the drawing rules
// of the DirectDraw driver written over the store's own operations (fill for
// rectangles, a single lock for lines, copy for blits). Each driver says which
// contexts, stores and fonts are its own, makes its default font, draws text
// and overrides what it does its own way.

#include "graphics/QXGrDriver2D.h"

class Q2DSharedDriver2D;

// A context of one start of one driver: contexts left over from another
// driver, or from before the driver was restarted, are refused.
class Q2DSharedContext : public QXGrContext {
public:
    Q2DSharedContext(QXGraphics* graphics, QXFont* font, const Q2DSharedDriver2D& driver);

    const Q2DSharedDriver2D* driver;
    int generation;
};

class Q2DSharedDriver2D : public QXGrDriver2D {
public:
    using QXGrDriver2D::QXGrDriver2D;

    // Makes the default font and becomes the active driver. Drivers start
    // their own module (and their font driver) first, then call this.
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

    QXGrContext* context() const { return context_; }
    // Counts the starts of the driver.
    int generation() const { return generation_; }
    // The font new contexts start with; made when first needed by a driver
    // that does not make it at its start.
    QXFont* defaultFont();

protected:
    // Whether the context was made by this start of this driver.
    bool ownsContext(QXGrContext* context) const;
    // Whether the store is of the driver's kind (and of the running start).
    virtual bool ownsGraphics(QXGraphics* graphics) = 0;
    // Whether the font is one the driver can draw with.
    virtual bool ownsFont(QXFont* font) = 0;
    // The font a new context starts with (count 1), or null when none can be had.
    virtual QXFont* makeDefaultFont() = 0;
    // Whether the start makes the default font (and fails without it), or
    // the first context does.
    virtual bool makesDefaultFontAtStart() const { return true; }
    // A new context of the driver's kind for `graphics` with `font` (count 1).
    virtual QXGrContext* newContext(QXGraphics* graphics, QXFont* font) = 0;
    // Called after the current context changed (either may be null).
    virtual void contextChanged(QXGrContext* previous, QXGrContext* current);
    // Called after the current context's colour changed.
    virtual void colourChanged() {}
    // Called after the current context's viewport changed.
    virtual void viewportChanged() {}

    // The current context, or the runtime error "No graphics buffer is set".
    QXGrContext& current();
    // Fills the area, cut to the viewport, in the context's colour.
    void fillClipped(int x, int y, int w, int h);

private:
    QXGrContext* context_ = nullptr;
    QXFont* defaultFont_ = nullptr;
    int generation_ = 0;
};
