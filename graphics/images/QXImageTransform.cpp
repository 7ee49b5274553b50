#include "graphics/images/QXImageTransform.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "graphics/images/QXImageLimits.h"

#ifdef _WIN32
#include "runtime/QXFpu.h"
#endif

namespace {

bool finite(float value) { return std::isfinite(value); }

struct Point {
    float x, y;
};

Point map(const QXTransformMatrix& m, float x, float y) { return {m.a * x + m.b * y, m.c * x + m.d * y}; }

// The source pixel under coordinate v, or false when v (floored) is outside 0…limit−1.
bool pixelIndex(float v, int limit, int& index) {
    const float floored = std::floor(v);
    if (!(floored >= 0.0f) || floored >= static_cast<float>(limit)) return false;
    index = static_cast<int>(floored);
    return true;
}

// floor(v) as an int, kept within [-2, limit] so that out-of-range positions
// (whose neighbours are all outside anyway) stay representable.
int clampedFloor(float v, int limit) {
    const float floored = std::floor(v);
    if (!(floored >= -2.0f)) return -2;
    if (floored > static_cast<float>(limit)) return limit;
    return static_cast<int>(floored);
}

QXColour sampleNearest(const QXPixelView& source, float sx, float sy, QXColour maskColour) {
    int x, y;
    if (!pixelIndex(sx, source.width, x) || !pixelIndex(sy, source.height, y)) return maskColour;
    return source.colour(x, y);
}

QXColour sampleBilinear(const QXPixelView& source, float sx, float sy, QXColour maskColour) {
    // Mapping back can overflow for extreme (but regular) matrices: such a
    // point is far outside, and so are all four of its neighbours.
    if (!finite(sx) || !finite(sy)) return maskColour;
    const float u = sx - 0.5f;
    const float v = sy - 0.5f;
    const float fx = u - std::floor(u);
    const float fy = v - std::floor(v);
    const int x0 = clampedFloor(u, source.width);
    const int y0 = clampedFloor(v, source.height);
    auto at = [&](int x, int y) { return source.contains(x, y) ? source.colour(x, y) : maskColour; };
    const QXColour c00 = at(x0, y0), c10 = at(x0 + 1, y0), c01 = at(x0, y0 + 1), c11 = at(x0 + 1, y0 + 1);
    const float w00 = (1.0f - fx) * (1.0f - fy);
    const float w10 = fx * (1.0f - fy);
    const float w01 = (1.0f - fx) * fy;
    const float w11 = fx * fy;
    QXColour result = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        auto channel = [shift](QXColour colour) { return static_cast<float>((colour >> shift) & 0xFF); };
        const float sum = channel(c00) * w00 + channel(c10) * w10 + channel(c01) * w01 + channel(c11) * w11;
        const int value = std::clamp(static_cast<int>(sum + 0.5f), 0, 255);
        result |= QXColour(value) << shift;
    }
    return result;
}

}  // namespace

QXTransformResult planTransform(const QXTransformMatrix& matrix, int width, int height, int handleX, int handleY,
                                QXTransformPlan& plan) {
    const auto [a, b, c, d] = matrix;
    if (!finite(a) || !finite(b) || !finite(c) || !finite(d)) return QXTransformResult::IllegalMatrix;
    const float determinant = a * d - b * c;
    if (determinant == 0.0f || !finite(determinant)) return QXTransformResult::IllegalMatrix;
    const QXTransformMatrix inverse{d / determinant, -b / determinant, -c / determinant, a / determinant};
    if (!finite(inverse.a) || !finite(inverse.b) || !finite(inverse.c) || !finite(inverse.d))
        return QXTransformResult::IllegalMatrix;

    const float left = static_cast<float>(-std::int64_t(handleX));
    const float right = static_cast<float>(std::int64_t(width) - handleX);
    const float top = static_cast<float>(-std::int64_t(handleY));
    const float bottom = static_cast<float>(std::int64_t(height) - handleY);
    const Point corners[] = {map(matrix, left, top), map(matrix, right, top), map(matrix, left, bottom),
                             map(matrix, right, bottom)};
    float minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
    for (const Point& corner : corners) {
        if (!finite(corner.x) || !finite(corner.y)) return QXTransformResult::IllegalMatrix;
        minX = std::min(minX, corner.x), maxX = std::max(maxX, corner.x);
        minY = std::min(minY, corner.y), maxY = std::max(maxY, corner.y);
    }
    const double boxLeft = std::floor(double(minX)), boxRight = std::ceil(double(maxX));
    const double boxTop = std::floor(double(minY)), boxBottom = std::ceil(double(maxY));
    const double newWidth = boxRight - boxLeft, newHeight = boxBottom - boxTop;
    if (newWidth < 1.0 || newHeight < 1.0) return QXTransformResult::IllegalMatrix;
    constexpr double kIntLimit = std::numeric_limits<int>::max();
    if (newWidth > double(kMaxImageFramePixels) || newHeight > double(kMaxImageFramePixels) ||
        !imageSizeAllowed(std::int64_t(newWidth), std::int64_t(newHeight), 1) || std::abs(boxLeft) > kIntLimit ||
        std::abs(boxTop) > kIntLimit)
        return QXTransformResult::TooLarge;

    plan = {matrix,
            inverse,
            handleX,
            handleY,
            static_cast<int>(boxLeft),
            static_cast<int>(boxTop),
            static_cast<int>(newWidth),
            static_cast<int>(newHeight)};
    return QXTransformResult::Ok;
}

void renderTransform(const QXTransformPlan& plan, const QXPixelView& source, const QXPixelView& destination,
                     bool filter, QXColour maskColour) {
    if (!source.pixels || !destination.pixels) return;
    const int width = std::min(plan.width, destination.width);
    const int height = std::min(plan.height, destination.height);
    const QXTransformMatrix& inverse = plan.inverse;
    const float shiftX = static_cast<float>(plan.handleX);
    const float shiftY = static_cast<float>(plan.handleY);
    for (int j = 0; j < height; ++j) {
        const float py = static_cast<float>(std::int64_t(plan.minY) + j) + 0.5f;
        for (int i = 0; i < width; ++i) {
            const float px = static_cast<float>(std::int64_t(plan.minX) + i) + 0.5f;
            const float sx = (inverse.a * px + inverse.b * py) + shiftX;
            const float sy = (inverse.c * px + inverse.d * py) + shiftY;
            destination.setColour(i, j, filter ? sampleBilinear(source, sx, sy, maskColour)
                                               : sampleNearest(source, sx, sy, maskColour));
        }
    }
}

QXTransformMatrix rotationMatrix(float degrees) {
    const float r = -degrees * 0.017453292f;
#ifdef _WIN32
    // The C library computes on the x87 unit, which programs run at 24 bits.
    QXFpuPrecisionGuard fullPrecision;
#endif
    const auto cosine = static_cast<float>(std::cos(double(r)));
    const auto sine = static_cast<float>(std::sin(double(r)));
    return {cosine, -sine, sine, cosine};
}
