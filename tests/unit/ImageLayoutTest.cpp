// Tiles, animation cells, clipped source rectangles and the BMP writer's bytes.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "graphics/QXBmpWriter.h"
#include "graphics/images/QXImageLayout.h"
#include "graphics/images/QXImageLimits.h"

namespace {

TEST(ImageLayout, FloorModAndTheFirstTileForEveryAnchor) {
    EXPECT_EQ(floorMod(-1, 32), 31);
    EXPECT_EQ(floorMod(-32, 32), 0);
    EXPECT_EQ(floorMod(33, 32), 1);
    // A 32-wide tile anchored at -63 on a viewport starting at 0 begins at -31.
    EXPECT_EQ(firstTileStart(-63, 0, 32), -31);
    for (int size : {1, 7, 32})
        for (int anchor = -100; anchor <= 100; ++anchor)
            for (int edge : {-13, 0, 5}) {
                const std::int64_t start = firstTileStart(anchor, edge, size);
                ASSERT_LE(start, edge);
                ASSERT_GT(start, edge - size);
                ASSERT_EQ(floorMod(start - anchor, size), 0);
            }
}

TEST(ImageLayout, TilesCoverTheViewportOnceEachAndEmptyViewportsGetNone) {
    const QXRect viewport{3, 5, 50, 30};
    std::vector<int> cover(std::size_t(viewport.width() * viewport.height()), 0);
    int tiles = 0;
    forEachTile(viewport, -63, 1000001, 16, 10, [&](const QXRect& tile) {
        ++tiles;
        ASSERT_EQ(tile.width(), 16);
        ASSERT_EQ(floorMod(tile.left + 63, 16), 0);
        ASSERT_EQ(floorMod(tile.top - 1000001, 10), 0);
        for (std::int64_t y = std::max(tile.top, viewport.top); y < std::min(tile.bottom, viewport.bottom); ++y)
            for (std::int64_t x = std::max(tile.left, viewport.left); x < std::min(tile.right, viewport.right); ++x)
                ++cover[std::size_t((y - viewport.top) * viewport.width() + x - viewport.left)];
        ASSERT_FALSE((QXRect{std::max(tile.left, viewport.left), std::max(tile.top, viewport.top),
                             std::min(tile.right, viewport.right), std::min(tile.bottom, viewport.bottom)}
                          .empty()));
    });
    EXPECT_EQ(tiles, 4 * 3);
    for (int count : cover) ASSERT_EQ(count, 1);
    int none = 0;
    forEachTile({10, 10, 10, 40}, 0, 0, 8, 8, [&](const QXRect&) { ++none; });
    forEachTile({10, 10, 40, 5}, 0, 0, 8, 8, [&](const QXRect&) { ++none; });
    forEachTile({0, 0, 0, 0}, INT_MIN, INT_MAX, 1, 1, [&](const QXRect&) { ++none; });
    EXPECT_EQ(none, 0);
}

TEST(ImageLayout, ClippingMovesTheSourceEdgesAlong) {
    // A part starting 5 left of the frame: what is left is drawn 5 further right.
    QXRect destination{100 - 5, 50, 100 - 5 + 20, 60}, source{-5, 0, 15, 10};
    ASSERT_TRUE(clipWithSource({0, 0, 10, 10}, source, destination));
    EXPECT_EQ(source.left, 0);
    EXPECT_EQ(source.right, 10);
    EXPECT_EQ(destination.left, 100);
    EXPECT_EQ(destination.right, 110);  // the right edge was cut by 5 as well
    QXRect outside{20, 0, 30, 10}, moved{0, 0, 10, 10};
    EXPECT_FALSE(clipWithSource({0, 0, 10, 10}, outside, moved));
    QXRect negative{5, 5, 0, 10}, along{0, 0, -5, 5};
    EXPECT_FALSE(clipWithSource({0, 0, 10, 10}, negative, along));
}

TEST(ImageLayout, AnimationCells) {
    struct Case {
        int pictureWidth, pictureHeight, width, height, first, count;
        std::vector<std::pair<int, int>> cells;  // empty: refused
    };
    const Case cases[] = {
        {64, 32, 32, 32, 1, 1, {{32, 0}}},                // the right half
        {64, 32, 32, 32, 1, 2, {}},                       // one cell short
        {64, 32, 32, 32, 0, 2, {{0, 0}, {32, 0}}},
        {100, 64, 32, 32, 2, 3, {{64, 0}, {0, 32}, {32, 32}}},  // rows of 3, a spare strip on the right
        {64, 64, 32, 32, 3, 1, {{32, 32}}},
        {64, 32, 32, 32, -1, 1, {}},                      // negative first cell
        {64, 32, 65, 32, 0, 1, {}},                       // cell wider than the picture
        {64, 32, 32, 33, 0, 1, {}},                       // taller
        {64, 32, 0, 32, 0, 1, {}},
        {64, 32, 32, 32, INT_MAX, 1, {}},                 // first + count beyond 32 bits
        {64, 32, 32, 32, 0, 0, {}},
    };
    for (const Case& c : cases) {
        const auto cells = animationCells(c.pictureWidth, c.pictureHeight, c.width, c.height, c.first, c.count);
        SCOPED_TRACE(testing::Message() << c.pictureWidth << "x" << c.pictureHeight << " cells " << c.width << "x"
                                        << c.height << " first " << c.first << " count " << c.count);
        ASSERT_EQ(cells.has_value(), !c.cells.empty());
        if (!cells) continue;
        ASSERT_EQ(cells->size(), c.cells.size());
        for (std::size_t i = 0; i < c.cells.size(); ++i) {
            EXPECT_EQ((*cells)[i].x, c.cells[i].first);
            EXPECT_EQ((*cells)[i].y, c.cells[i].second);
        }
    }
}

TEST(ImageLimits, SizesAreCheckedIn64Bits) {
    EXPECT_TRUE(imageSizeAllowed(1, 1, 1));
    EXPECT_TRUE(imageSizeAllowed(8192, 8192, 1));
    EXPECT_FALSE(imageSizeAllowed(8192, 8193, 1));
    EXPECT_FALSE(imageSizeAllowed(65536, 65536, 1));  // wraps to 0 in 32 bits
    EXPECT_FALSE(imageSizeAllowed(1024, 1024, 1000));
    EXPECT_FALSE(imageSizeAllowed(0, 1, 1));
    EXPECT_FALSE(imageSizeAllowed(1, -1, 1));
    EXPECT_FALSE(imageSizeAllowed(INT_MAX, INT_MAX, INT_MAX));
}

TEST(BmpWriter, HeaderToTheByteRowsBottomUpAndZeroPadding) {
    // 3×2 pixels, rows 9 bytes apart plus junk that must not reach the file.
    std::vector<std::uint8_t> rows(2 * 12, 0xAB);
    for (int i = 0; i < 9; ++i) rows[std::size_t(i)] = std::uint8_t(i + 1), rows[std::size_t(12 + i)] = std::uint8_t(i + 101);
    const std::vector<std::uint8_t> file = encodeBmp24(rows.data(), 12, 3, 2);
    const std::vector<std::uint8_t> header = {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 3, 0, 0, 0,
                                              2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                              0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(file.size(), 78u);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 54), header);
    const std::vector<std::uint8_t> bottomFirst = {101, 102, 103, 104, 105, 106, 107, 108, 109, 0, 0, 0,
                                                   1,   2,   3,   4,   5,   6,   7,   8,   9,   0, 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 54, file.end()), bottomFirst);
    EXPECT_EQ(encodeBmp24(rows.data(), 12, 4, 0).size(), 54u);
}

}  // namespace
