#include "graphics/QXCanvas.h"

#include "graphics/Q2DBuffer.h"

namespace {
QXCanvasDriver* theCanvasDriver = nullptr;
}

QXCanvas::~QXCanvas() { attachBuffer(nullptr); }

void QXCanvas::attachBuffer(Q2DBuffer* buffer) {
    Q2DBuffer* old = buffer_;
    buffer_ = buffer;
    if (buffer) setVirtualSize(buffer->graphics->width, buffer->graphics->height);
    // Releasing a current buffer clears the current buffer: nothing dangles.
    if (old) release(old);
}

void setCanvasDriver(QXCanvasDriver* driver) { theCanvasDriver = driver; }
QXCanvasDriver* canvasDriver() { return theCanvasDriver; }

void prepareCanvas(QXCanvas& canvas) {
    QXGraphics* graphics = canvas.graphics();
    retain(graphics);
    canvas.attachBuffer(createBuffer(graphics));
    graphics->fill(0, 0, graphics->width, graphics->height, 0xFF000000);
    canvas.flip(false);
    graphics->fill(0, 0, graphics->width, graphics->height, 0xFF000000);
}
