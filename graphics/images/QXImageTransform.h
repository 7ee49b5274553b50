#pragma once
// Transforming an image frame by a 2×2 matrix about its handle. All
// arithmetic is single precision exactly as the rule is written (SSE, never
// the x87 unit), so results, rounding noise included, do not depend on the
// x87 precision a program runs with.

#include <cstdint>

#include "graphics/images/QXPixelView.h"

struct QXTransformMatrix {
    float a, b, c, d;  // x' = a x + b y, y' = c x + d y
};

// The placement of a transformed frame, worked out before any store is made.
struct QXTransformPlan {
    QXTransformMatrix matrix;
    QXTransformMatrix inverse;
    int handleX, handleY;  // the source frame's handle
    int minX, minY;        // top-left of the transformed box, relative to the handle
    int width, height;     // size of the transformed frame
    int newHandleX() const { return -minX; }
    int newHandleY() const { return -minY; }
};

enum class QXTransformResult {
    Ok,
    IllegalMatrix,  // singular, or not finite (in the matrix, its inverse or the mapped corners)
    TooLarge,       // the transformed frame would exceed the image size limit
};

// Plans the transform of a width × height frame with the handle (handleX, handleY).
QXTransformResult planTransform(const QXTransformMatrix& matrix, int width, int height, int handleX, int handleY,
                                QXTransformPlan& plan);

// Fills `destination` (plan.width × plan.height) from `source`: every
// destination pixel centre is mapped back into the source; points outside the
// source read as `maskColour`. `filter` blends the four nearest pixels.
void renderTransform(const QXTransformPlan& plan, const QXPixelView& source, const QXPixelView& destination,
                     bool filter, QXColour maskColour);

// The turn by `degrees` as the rotate command builds it: r = −degrees ×
// 0.017453292 in single precision, then (cos r, −sin r; sin r, cos r) rounded
// to single precision, whatever the x87 precision.
QXTransformMatrix rotationMatrix(float degrees);
