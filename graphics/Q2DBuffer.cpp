#include "graphics/Q2DBuffer.h"

#include "runtime/QXError.h"

Q2DCurrent q2dCurrent;

Q2DBuffer::Q2DBuffer(QXGraphics* bufferGraphics, QXGrContext* bufferContext)
    : lockedPixels(new QXBank()), graphics(bufferGraphics), context(bufferContext) {}

Q2DBuffer::~Q2DBuffer() {
    if (q2dCurrent.buffer == this) {
        // The driver must not keep drawing into a context that goes now.
        if (QXGrDriver2D* driver = grDriver2D()) driver->setContext(nullptr);
        q2dCurrent = {};
    }
    if (lockCount > 0 && graphics) graphics->unlock();
    release(lockedPixels);
    release(context);
}

int Q2DBuffer::query(int id) {
    static const int bufferQuery = queryId("Q2DBuffer");
    if (id == bufferQuery) return handleOf(this);
    return QXResource::query(id);
}

Q2DBuffer* createBuffer(QXGraphics* graphics) {
    // The context first: a store the driver rejects stops the program
    // before any buffer exists.
    QXGrContext* context = activeGrDriver2D().createContext(graphics);
    auto* buffer = new Q2DBuffer(graphics, context);
    release(graphics);
    return buffer;
}

Q2DBuffer* setCurrentBuffer(Q2DBuffer* buffer) {
    Q2DBuffer* previous = q2dCurrent.buffer;
    if (buffer) activeGrDriver2D().setContext(buffer->context);
    else if (QXGrDriver2D* driver = grDriver2D()) driver->setContext(nullptr);
    q2dCurrent = buffer ? Q2DCurrent{buffer, buffer->graphics, buffer->context} : Q2DCurrent{};
    return previous;
}

Q2DBuffer& currentBuffer() {
    if (!q2dCurrent.buffer) runtimeError("No graphics buffer is set");
    return *q2dCurrent.buffer;
}
