#pragma once
// A drawable surface: a store paired with the active 2D driver's context for
// it and the drawing state that belongs to the buffer (origin, colours, lock).
// The screen's buffer, image frames, canvases and the desktop each have one.
// Drawing commands act on the current buffer.

#include "graphics/QXGrDriver2D.h"
#include "io/QXBank.h"

class Q2DBuffer : public QXResource {
public:
    // Takes over `context`, the active driver's context for `graphics`
    // (see createBuffer).
    Q2DBuffer(QXGraphics* graphics, QXGrContext* context);
    ~Q2DBuffer() override;

    // Answers the "Q2DBuffer" query with itself.
    int query(int queryId) override;

    // Field order is part of the binary contract.
    int lockCount = 0;
    QXBank* lockedPixels;  // pointed at the pixels while locked
    int lockedPitch = 0;
    int lockedFormat = 0;
    QXGraphics* graphics;  // plain: the context holds the counted reference
    QXGrContext* context;  // owned
    int originX = 0;
    int originY = 0;
    QXColour colour = 0xFFFFFFFF;
    QXColour clearColour = 0;
};

// A buffer for `graphics` (count 1), which is handed over: the caller's
// reference to it is dropped.
Q2DBuffer* createBuffer(QXGraphics* graphics);

// The current buffer and, for quick access, its store and context. All null
// before SetBuffer.
struct Q2DCurrent {
    Q2DBuffer* buffer = nullptr;
    QXGraphics* graphics = nullptr;
    QXGrContext* context = nullptr;
};
extern Q2DCurrent q2dCurrent;

// Makes `buffer` (or none) current and sets the driver's context to its
// context; returns the previous current buffer. The current buffer is not
// counted: destroying a buffer clears it.
Q2DBuffer* setCurrentBuffer(Q2DBuffer* buffer);
// The current buffer, or the runtime error "No graphics buffer is set" when
// there is none (drawing before Graphics or SetBuffer).
Q2DBuffer& currentBuffer();
