#pragma once
// The portable rules of 2D drawing, shared by every driver and free of
// Windows calls: colour values from red, green and blue, the viewport clamp,
// rectangle clipping, line clipping and stepping, and the rows of an oval.
// Everything here works on plain integers and is safe for any input: sums and
// products that could leave 32 bits are formed in 64.

#include <cstdint>

#include "graphics/QXPixelFormat.h"

// left, top inclusive; right, bottom exclusive.
struct Q2DRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Q2DRect&) const = default;
};

// The colour value of Color and ClsColor: ((red OR 0xFFFFFF00) << 16) OR
// (green << 8) OR blue in 32 bits. Red keeps its low byte; green and blue are
// not masked, so their excess spills into the channels above.
constexpr QXColour q2dColour(int red, int green, int blue) {
    return ((static_cast<std::uint32_t>(red) | 0xFFFFFF00u) << 16) | (static_cast<std::uint32_t>(green) << 8) |
           static_cast<std::uint32_t>(blue);
}

// The Viewport clamp against a W x H store: the position is clamped into the
// store, the size to what is left of it (a negative position does not reduce
// the size).
Q2DRect q2dClampViewport(int x, int y, int width, int height, int storeWidth, int storeHeight);

// The area (x, y, w, h) cut to `viewport`; false when it is empty or lies
// outside. Sizes may be negative (empty) and x + w may pass 32 bits.
bool q2dClip(const Q2DRect& viewport, int x, int y, int w, int h, Q2DRect& clipped);

// The destination area (x, y, w, h) cut to `viewport`, each edge cut also
// moving the matching edge of the source area at (sourceX, sourceY). False
// when nothing is left.
bool q2dClipWithSource(const Q2DRect& viewport, int x, int y, int w, int h, int& sourceX, int& sourceY,
                       Q2DRect& clipped);

// Cohen-Sutherland clipping of the line (x1, y1)-(x2, y2) to the pixels of
// `viewport`. Out-code bits 1 below, 2 above, 4 right, 8 left, tested in that
// order; the new coordinate on a crossed edge is found by truncating division.
// False when nothing is left, including the (degenerate) case where an end
// has not settled after four moves.
bool q2dClipLine(const Q2DRect& viewport, int& x1, int& y1, int& x2, int& y2);

// Visits every pixel of the line from (x1, y1) to (x2, y2) by Bresenham's
// rule, both ends included, in order from the first end.
template <class Visit> void q2dBresenham(int x1, int y1, int x2, int y2, Visit&& visit) {
    const std::int64_t dx = std::int64_t(x2) - x1, dy = std::int64_t(y2) - y1;
    const int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0);
    const int sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    const std::int64_t a = dx < 0 ? -dx : dx, b = dy < 0 ? -dy : dy;
    int x = x1, y = y1;
    if (a >= b) {
        std::int64_t err = -a;
        for (std::int64_t i = 0; i <= a; ++i) {
            visit(x, y);
            x += sx;
            err += 2 * b;
            if (err >= 0) y += sy, err -= 2 * a;
        }
    } else {
        std::int64_t err = -b;
        for (std::int64_t i = 0; i <= b; ++i) {
            visit(x, y);
            y += sy;
            err += 2 * a;
            if (err >= 0) x += sx, err -= 2 * b;
        }
    }
}

// One row of an oval: the pixels left <= x < right.
struct Q2DSpan {
    int left;
    int right;
};

// The oval in the box (x, y, w, h), w and h > 0, worked out in single
// precision so that every driver and every x87 mode gives the same pixels.
class Q2DOval {
public:
    Q2DOval(int x, int y, int w, int h);
    // The span of row `row` (inside the box or not).
    Q2DSpan span(int row) const;

    // Calls fill(x, y, w, 1) for the rows of the oval that lie in
    // [firstRow, endRow): one run per row when solid; for the outline two
    // runs that reach back to the neighbouring row nearer the box's edge, so
    // that steep parts stay connected.
    template <class Fill> void rows(int firstRow, int endRow, bool solid, Fill&& fill) const {
        for (int row = firstRow; row < endRow; ++row) {
            const Q2DSpan s = span(row);
            if (solid) {
                if (s.right > s.left) fill(s.left, row, s.right - s.left, 1);
                continue;
            }
            if (row == top_ || row == bottom_ - 1) {
                if (s.right > s.left) fill(s.left, row, s.right - s.left, 1);
                else fill(s.left, row, 1, 1);
                continue;
            }
            const Q2DSpan outer = span(row < middle_ ? row - 1 : row + 1);
            const int leftEnd = outer.left > s.left + 1 ? outer.left : s.left + 1;
            fill(s.left, row, leftEnd - s.left, 1);
            const int rightStart = outer.right < s.right - 1 ? outer.right : s.right - 1;
            fill(rightStart, row, s.right - rightStart, 1);
        }
    }

private:
    float centreX_, centreY_, radiusY_, ratio_;
    int top_, bottom_, middle_;
};

// Text centring: the position moved back by half the size (truncating).
constexpr int q2dCentred(int position, int size) { return position - size / 2; }
