#pragma once
// The 2D driver interface. The active driver keeps one current context, that
// of the current buffer, and carries out every primitive in it: clipped to the
// context's viewport, in its colour and font. Coordinates given to the
// primitives are absolute (the commands add the buffer's origin).

#include "events/QXFont.h"
#include "graphics/Q2DRaster.h"
#include "graphics/QXGraphics.h"
#include "runtime/QXModule.h"

class QXString;

// One driver's drawing state for one store. Holds counted references to the
// store and the font; each driver derives its own kind.
class QXGrContext : public QXResource {
public:
    // Takes a reference to `graphics` and to `font` (either may be null).
    QXGrContext(QXGraphics* graphics, QXFont* font);
    ~QXGrContext() override;

    // Releases the old font, keeps a reference to the new one.
    void replaceFont(QXFont* newFont);

    QXGraphics* graphics;
    QXFont* font;
    Q2DRect viewport;  // the whole store at creation
    QXColour colour = 0xFFFFFFFF;
};

// Every driver module of a graphics subsystem.
class QXGrDriver : public QXModule {
public:
    using QXModule::QXModule;
};

// create-graphics flags
inline constexpr int kGraphicsSystemWithTwin = 1;  // DirectDraw: 24-bit system memory with a display-format twin
inline constexpr int kGraphicsDisplayFormat = 2;   // DirectDraw: display format, video memory preferred

class QXGrDriver2D : public QXGrDriver {
public:
    using QXGrDriver::QXGrDriver;

    // Slots after startup (0) and shutdown (1); the order is part of the contract.

    // The context must be this driver's own kind ("Incompatible graphics
    // context"); null clears the current context. Counted: the driver keeps
    // a reference to the context it holds.
    virtual void setContext(QXGrContext* context) = 0;
    // A context for a store of this driver's own kind ("Incompatible
    // graphics"), count 1: default font, whole store, white.
    virtual QXGrContext* createContext(QXGraphics* graphics) = 0;
    // The font must be a font of the Windows font driver ("Incompatible font").
    virtual void setFont(QXFont* font) = 0;
    virtual void setColour(QXColour colour) = 0;
    // Stored as given.
    virtual void setViewport(int left, int top, int right, int bottom) = 0;
    virtual QXFont* getFont() = 0;
    virtual QXColour getColour() = 0;
    virtual Q2DRect getViewport() = 0;
    virtual void plot(int x, int y) = 0;
    virtual void line(int x1, int y1, int x2, int y2) = 0;
    virtual void rect(int x, int y, int w, int h, bool solid) = 0;
    virtual void oval(int x, int y, int w, int h, bool solid) = 0;
    // Copies (sourceX, sourceY, w, h) of `source` to (x, y), clipped to the
    // viewport (the source area moves along). The caller keeps the source
    // area inside `source`. flags: QXCopyMasked.
    virtual void blit(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) = 0;
    // The text cell's top-left is at (x, y).
    virtual void text(int x, int y, const QXString* text) = 0;
    // A new off-screen store of this driver's kind (count 1); flags as above.
    virtual QXGraphics* createGraphics(int width, int height, int flags) = 0;
};

// The driver that started last and has not stopped; null when none runs.
QXGrDriver2D* grDriver2D();
void setGrDriver2D(QXGrDriver2D* driver);
// The active driver, or the runtime error "No 2D graphics driver" when none runs.
QXGrDriver2D& activeGrDriver2D();
