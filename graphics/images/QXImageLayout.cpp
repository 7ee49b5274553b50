#include "graphics/images/QXImageLayout.h"

#include <algorithm>

bool clipWithSource(const QXRect& clip, QXRect& clipped, QXRect& follower) {
    if (clipped.empty()) return false;
    const std::int64_t cutLeft = std::max<std::int64_t>(0, clip.left - clipped.left);
    const std::int64_t cutTop = std::max<std::int64_t>(0, clip.top - clipped.top);
    const std::int64_t cutRight = std::max<std::int64_t>(0, clipped.right - clip.right);
    const std::int64_t cutBottom = std::max<std::int64_t>(0, clipped.bottom - clip.bottom);
    clipped = {clipped.left + cutLeft, clipped.top + cutTop, clipped.right - cutRight, clipped.bottom - cutBottom};
    follower = {follower.left + cutLeft, follower.top + cutTop, follower.right - cutRight,
                follower.bottom - cutBottom};
    return !clipped.empty();
}

std::optional<std::vector<QXCell>> animationCells(int pictureWidth, int pictureHeight, int width, int height,
                                                  int first, int count) {
    if (width < 1 || height < 1 || first < 0 || count < 1) return std::nullopt;
    const std::int64_t perRow = pictureWidth / width;
    const std::int64_t rows = pictureHeight / height;
    if (perRow < 1 || rows < 1) return std::nullopt;
    if (perRow * rows < std::int64_t(first) + count) return std::nullopt;

    std::vector<QXCell> cells;
    cells.reserve(static_cast<std::size_t>(count));
    std::int64_t x = width * (first % perRow);
    std::int64_t y = height * (first / perRow);
    for (int frame = 0; frame < count; ++frame) {
        cells.push_back({static_cast<int>(x), static_cast<int>(y)});
        if (pictureWidth >= x + 2 * std::int64_t(width)) {
            x += width;
        } else {
            x = 0;
            y += height;
        }
    }
    return cells;
}
