#pragma once
// Where the parts of an image go: tiles over a viewport, animation cells in a
// picture, and source rectangles cut to the frame before anything is copied.
// Plain integer arithmetic, in 64 bits wherever a program's coordinates are
// added up.

#include <cstdint>
#include <optional>
#include <vector>

// left/top inclusive, right/bottom exclusive
struct QXRect {
    std::int64_t left, top, right, bottom;
    bool empty() const { return right <= left || bottom <= top; }
    std::int64_t width() const { return right - left; }
    std::int64_t height() const { return bottom - top; }
};

// a mod m in 0…m−1 for m > 0, also for negative a (C++ % truncates toward zero).
constexpr std::int64_t floorMod(std::int64_t a, std::int64_t m) {
    const std::int64_t r = a % m;
    return r < 0 ? r + m : r;
}

// The first tile position at or before `edge` (within one tile size) that is
// congruent to `anchor` modulo `size`: the unique value in [edge − size + 1, edge].
constexpr std::int64_t firstTileStart(std::int64_t anchor, std::int64_t edge, std::int64_t size) {
    return edge - floorMod(edge - anchor, size);
}

// Calls visit(tile) for each tile of a width × height picture anchored at
// (anchorX, anchorY) that covers part of the viewport, row by row; none for an
// empty viewport. Every tile meets the viewport.
template <class Visit>
void forEachTile(const QXRect& viewport, std::int64_t anchorX, std::int64_t anchorY, int width, int height,
                 Visit&& visit) {
    if (viewport.empty() || width < 1 || height < 1) return;
    const std::int64_t startX = firstTileStart(anchorX, viewport.left, width);
    const std::int64_t startY = firstTileStart(anchorY, viewport.top, height);
    for (std::int64_t y = startY; y < viewport.bottom; y += height)
        for (std::int64_t x = startX; x < viewport.right; x += width) visit(QXRect{x, y, x + width, y + height});
}

// Cuts `clipped` to `clip`, moving the matching edges of `follower` by the
// same amounts; false when nothing is left.
bool clipWithSource(const QXRect& clip, QXRect& clipped, QXRect& follower);

// The top-left corners of `count` animation cells of width × height, starting
// with cell `first`, in a picture of pictureWidth × pictureHeight: cells run
// left to right, then on to the next row. Nothing when the picture holds fewer
// than first + count cells, or first is negative, or a cell does not fit.
struct QXCell {
    int x, y;
};
std::optional<std::vector<QXCell>> animationCells(int pictureWidth, int pictureHeight, int width, int height,
                                                  int first, int count);
