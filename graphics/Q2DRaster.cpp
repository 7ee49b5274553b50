#include "graphics/Q2DRaster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using i64 = std::int64_t;

int toInt(i64 value) {
    return static_cast<int>(std::clamp<i64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The clamp of one axis: position into [0, size], length to what is left.
void clampAxis(int position, int length, int size, int& clampedPosition, int& clampedLength) {
    const i64 p = position < 0 ? 0 : std::min(position, size);
    i64 l = length;
    if (l < 0) l = 0;
    else if (p + l > size) l = size - p;
    clampedPosition = static_cast<int>(p);
    clampedLength = static_cast<int>(std::max<i64>(l, 0));
}

// The out-code of a point against the pixels of the window.
int outCode(const Q2DRect& window, i64 x, i64 y) {
    int code = 0;
    if (y > window.bottom - 1) code |= 1;
    else if (y < window.top) code |= 2;
    if (x > i64(window.right) - 1) code |= 4;
    else if (x < window.left) code |= 8;
    return code;
}

// from + (edge - edgeFrom) * (to - from) / (edgeTo - edgeFrom), truncating
// toward zero. The edge lies between the two ends, so |edge - edgeFrom| <=
// |edgeTo - edgeFrom| and the result lies between from and to; the product
// of two magnitudes below 2^32 fits in 64 unsigned bits.
i64 crossing(i64 from, i64 to, i64 edge, i64 edgeFrom, i64 edgeTo) {
    const i64 a = edge - edgeFrom, b = to - from, c = edgeTo - edgeFrom;
    const std::uint64_t magnitude = std::uint64_t(a < 0 ? -a : a) * std::uint64_t(b < 0 ? -b : b) /
                                    std::uint64_t(c < 0 ? -c : c);
    const bool negative = ((a < 0) != (b < 0)) != (c < 0);
    return from + (negative ? -static_cast<i64>(magnitude) : static_cast<i64>(magnitude));
}

}  // namespace

Q2DRect q2dClampViewport(int x, int y, int width, int height, int storeWidth, int storeHeight) {
    Q2DRect r;
    int w = 0, h = 0;
    clampAxis(x, width, storeWidth, r.left, w);
    clampAxis(y, height, storeHeight, r.top, h);
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

bool q2dClip(const Q2DRect& viewport, int x, int y, int w, int h, Q2DRect& clipped) {
    int sx = 0, sy = 0;
    return q2dClipWithSource(viewport, x, y, w, h, sx, sy, clipped);
}

bool q2dClipWithSource(const Q2DRect& viewport, int x, int y, int w, int h, int& sourceX, int& sourceY,
                       Q2DRect& clipped) {
    i64 left = x, top = y, right = i64(x) + w, bottom = i64(y) + h;
    if (right <= left || bottom <= top) return false;
    if (right <= viewport.left || left >= viewport.right || bottom <= viewport.top || top >= viewport.bottom)
        return false;
    i64 sx = sourceX, sy = sourceY;
    if (left < viewport.left) sx += viewport.left - left, left = viewport.left;
    if (top < viewport.top) sy += viewport.top - top, top = viewport.top;
    right = std::min<i64>(right, viewport.right);
    bottom = std::min<i64>(bottom, viewport.bottom);
    if (right <= left || bottom <= top) return false;
    clipped = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom)};
    sourceX = toInt(sx);
    sourceY = toInt(sy);
    return true;
}

bool q2dClipLine(const Q2DRect& viewport, int& x1, int& y1, int& x2, int& y2) {
    if (viewport.right <= viewport.left || viewport.bottom <= viewport.top) return false;
    i64 ax = x1, ay = y1, bx = x2, by = y2;
    int codeA = outCode(viewport, ax, ay), codeB = outCode(viewport, bx, by);
    int movesA = 0, movesB = 0;
    while (codeA | codeB) {
        if (codeA & codeB) return false;
        const bool first = codeA != 0;
        const int code = first ? codeA : codeB;
        if ((first ? ++movesA : ++movesB) > 4) return false;
        i64 x, y;
        if (code & 1) {
            y = viewport.bottom - 1;
            x = crossing(ax, bx, y, ay, by);
        } else if (code & 2) {
            y = viewport.top;
            x = crossing(ax, bx, y, ay, by);
        } else if (code & 4) {
            x = i64(viewport.right) - 1;
            y = crossing(ay, by, x, ax, bx);
        } else {
            x = viewport.left;
            y = crossing(ay, by, x, ax, bx);
        }
        if (first) ax = x, ay = y, codeA = outCode(viewport, ax, ay);
        else bx = x, by = y, codeB = outCode(viewport, bx, by);
    }
    x1 = static_cast<int>(ax), y1 = static_cast<int>(ay), x2 = static_cast<int>(bx), y2 = static_cast<int>(by);
    return true;
}

// ---------------------------------------------------------------- ovals

namespace {
// A float as an int, clamped first: far outside any store, and NaN as 0.
int floorToInt(float value) {
    constexpr float kLimit = 1073741824.0f;  // 2^30
    if (!(value == value)) return 0;
    const float floored = std::floor(value);
    if (floored <= -kLimit) return -(1 << 30);
    if (floored >= kLimit) return 1 << 30;
    return static_cast<int>(floored);
}
}  // namespace

// Every step is one single-precision operation stored to a float, so the
// result does not depend on the precision the x87 unit runs at (the runtime's
// own arithmetic is SSE).
Q2DOval::Q2DOval(int x, int y, int w, int h)
    : top_(y), bottom_(static_cast<int>(std::min<i64>(i64(y) + h, std::numeric_limits<int>::max()))),
      middle_(static_cast<int>(y + i64(h) / 2)) {
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    radiusY_ = fh * 0.5f;
    ratio_ = fw / fh;
    centreX_ = fw * 0.5f + static_cast<float>(x) + 0.5f;
    centreY_ = static_cast<float>(y) + radiusY_ - 0.5f;
}

Q2DSpan Q2DOval::span(int row) const {
    const float dy = static_cast<float>(row) - centreY_;
    float square = radiusY_ * radiusY_ - dy * dy;
    if (square < 0.0f) square = 0.0f;
    const float half = std::sqrt(square) * ratio_;
    return {floorToInt(centreX_ - half), floorToInt(centreX_ + half)};
}
