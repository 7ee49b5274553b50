#pragma once
// A canvas: a gadget with its own back buffer, copied into the gadget's
// window by a flip. The canvas driver module (subsystem "Canvas") makes them.

#include "gui/QXGadget.h"
#include "runtime/QXModule.h"

class Q2DBuffer;
class QXGraphics;

class QXCanvas : public QXGroup {
public:
    using QXGroup::QXGroup;
    // The buffer goes before the window it draws into.
    ~QXCanvas() override;

    // The back buffer's store, made on first request (not counted).
    virtual QXGraphics* graphics() = 0;
    virtual void flip(bool vwait) = 0;
    virtual void showPointer(bool show) = 0;
    virtual void moveMouse(int x, int y) = 0;
    virtual int mouseX() = 0;
    virtual int mouseY() = 0;
    // Pointer positions are reported in back-buffer pixels of this size (0, 0 clears).
    virtual void setVirtualSize(int width, int height) = 0;

    // Takes over `buffer` (the canvas's, found by CanvasBuffer); null detaches.
    void attachBuffer(Q2DBuffer* buffer);
    Q2DBuffer* buffer() const { return buffer_; }

    int lastX = 0;
    int lastY = 0;

private:
    Q2DBuffer* buffer_ = nullptr;
};

class QXCanvasDriver : public QXModule {
public:
    using QXModule::QXModule;
    // A canvas in `group` with the style, hidden, shape still empty (count 1).
    virtual QXCanvas* createCanvas(QXGroup* group, int style) = 0;
};

void setCanvasDriver(QXCanvasDriver* driver);
QXCanvasDriver* canvasDriver();

// The steps of CreateCanvas after the driver made the gadget and it has its
// shape: the back buffer is made and attached, filled opaque black, flipped
// and filled black again.
void prepareCanvas(QXCanvas& canvas);
