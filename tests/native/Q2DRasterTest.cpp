// The portable drawing rules on their own: colour values, the viewport
// clamp, rectangle clipping with a source, line clipping and stepping, and
// oval rows, with independent reference values and hostile inputs.

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>
#include <vector>

#include "graphics/Q2DRaster.h"

namespace {
using Points = std::vector<std::pair<int, int>>;

Points lineOf(int x1, int y1, int x2, int y2) {
    Points points;
    q2dBresenham(x1, y1, x2, y2, [&](int x, int y) { points.emplace_back(x, y); });
    return points;
}
}  // namespace

TEST(Q2DColour, RedIsMaskedGreenAndBlueSpillOver) {
    EXPECT_EQ(q2dColour(255, 255, 255), 0xFFFFFFFFu);
    EXPECT_EQ(q2dColour(0, 0, 0), 0xFF000000u);
    EXPECT_EQ(q2dColour(300, 0, 0), 0xFF2C0000u);
    EXPECT_EQ(q2dColour(0, 256, 0), 0xFF010000u);
    EXPECT_EQ(q2dColour(0, 0, 256), 0xFF000100u);
    EXPECT_EQ(q2dColour(-1, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(q2dColour(0, -1, 0), 0xFFFFFF00u);
}

TEST(Q2DViewport, ClampKeepsTheSizeAfterANegativeStart) {
    struct Case {
        int x, y, w, h;
        Q2DRect want;
    } cases[] = {
        {-10, -10, 50, 50, {0, 0, 50, 50}},     {600, 400, 100, 100, {600, 400, 640, 480}},
        {10, 10, 20, 20, {10, 10, 30, 30}},     {700, 500, 10, 10, {640, 480, 640, 480}},
        {5, 5, -3, 7, {5, 5, 5, 12}},           {INT_MAX, INT_MAX, INT_MAX, INT_MAX, {640, 480, 640, 480}},
        {100, 100, INT_MAX, INT_MAX, {100, 100, 640, 480}}, {INT_MIN, 0, INT_MAX, 1, {0, 0, 640, 1}},
    };
    for (const Case& c : cases) EXPECT_EQ(q2dClampViewport(c.x, c.y, c.w, c.h, 640, 480), c.want) << c.x << "," << c.w;
}

TEST(Q2DClip, AreasAreCutAndTheSourceMovesAlong) {
    const Q2DRect view{10, 20, 110, 220};
    Q2DRect r;
    EXPECT_FALSE(q2dClip(view, 0, 0, 0, 50, r));
    EXPECT_FALSE(q2dClip(view, 0, 0, 10, 50, r));  // ends just left of the viewport
    EXPECT_FALSE(q2dClip(view, 50, 50, -5, 5, r));
    ASSERT_TRUE(q2dClip(view, 0, 0, 11, 21, r));
    EXPECT_EQ(r, (Q2DRect{10, 20, 11, 21}));
    // x + w beyond 32 bits neither wraps nor misses.
    ASSERT_TRUE(q2dClip(view, 100, 100, INT_MAX, INT_MAX, r));
    EXPECT_EQ(r, (Q2DRect{100, 100, 110, 220}));
    EXPECT_FALSE(q2dClip(view, INT_MAX, 100, INT_MAX, 5, r));
    ASSERT_TRUE(q2dClip(view, INT_MIN, INT_MIN, INT_MAX, INT_MAX, r) == false);

    int sx = 3, sy = 4;
    ASSERT_TRUE(q2dClipWithSource(view, 5, 15, 20, 20, sx, sy, r));
    EXPECT_EQ(r, (Q2DRect{10, 20, 25, 35}));
    EXPECT_EQ(sx, 8);
    EXPECT_EQ(sy, 9);
    sx = 0, sy = 0;
    ASSERT_TRUE(q2dClipWithSource(view, 100, 200, 50, 50, sx, sy, r));
    EXPECT_EQ(r, (Q2DRect{100, 200, 110, 220}));
    EXPECT_EQ(sx, 0);  // cutting the right and bottom leaves the source's corner
    EXPECT_EQ(sy, 0);
}

TEST(Q2DLine, BresenhamDrawsBothEndsInEveryOctant) {
    EXPECT_EQ(lineOf(0, 0, 3, 1), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    EXPECT_EQ(lineOf(5, 5, 5, 5), (Points{{5, 5}}));
    EXPECT_EQ(lineOf(0, 0, 1, 3), (Points{{0, 0}, {0, 1}, {1, 2}, {1, 3}}));
    EXPECT_EQ(lineOf(3, 1, 0, 0), (Points{{3, 1}, {2, 1}, {1, 0}, {0, 0}}));
    EXPECT_EQ(lineOf(0, 0, -2, -2), (Points{{0, 0}, {-1, -1}, {-2, -2}}));
    for (auto [dx, dy] : {std::pair{7, 3}, {3, 7}, {-7, 3}, {-3, 7}, {7, -3}, {3, -7}, {-7, -3}, {-3, -7}}) {
        Points p = lineOf(10, 10, 10 + dx, 10 + dy);
        ASSERT_EQ(p.size(), std::size_t(std::max(std::abs(dx), std::abs(dy)) + 1));
        EXPECT_EQ(p.front(), std::make_pair(10, 10));
        EXPECT_EQ(p.back(), std::make_pair(10 + dx, 10 + dy));
        for (std::size_t i = 1; i < p.size(); ++i) {  // 8-connected, one step at a time
            EXPECT_LE(std::abs(p[i].first - p[i - 1].first), 1);
            EXPECT_LE(std::abs(p[i].second - p[i - 1].second), 1);
        }
    }
}

TEST(Q2DLine, ClippingFollowsTheOutCodeOrderAndTruncates) {
    const Q2DRect view{0, 0, 50, 40};
    int x1 = -100, y1 = 5, x2 = 100, y2 = 5;
    ASSERT_TRUE(q2dClipLine(view, x1, y1, x2, y2));
    EXPECT_EQ((std::vector<int>{x1, y1, x2, y2}), (std::vector<int>{0, 5, 49, 5}));
    // Below first (bit 1): y = 39, x = 0 + (39 - 0) * 10 / 100 = 3 (truncated from 3.9).
    x1 = 0, y1 = 0, x2 = 10, y2 = 100;
    ASSERT_TRUE(q2dClipLine(view, x1, y1, x2, y2));
    EXPECT_EQ((std::vector<int>{x1, y1, x2, y2}), (std::vector<int>{0, 0, 3, 39}));
    // Negative quotients truncate toward zero: y = 20 + (0 - 10) * (-7) / 30 = 20 + 2.
    x1 = 10, y1 = 20, x2 = -20, y2 = 13;
    ASSERT_TRUE(q2dClipLine(view, x1, y1, x2, y2));
    EXPECT_EQ((std::vector<int>{x2, y2}), (std::vector<int>{0, 18}));
    x1 = -5, y1 = -5, x2 = -1, y2 = 60;  // left throughout
    EXPECT_FALSE(q2dClipLine(view, x1, y1, x2, y2));
    x1 = 60, y1 = -1, x2 = -1, y2 = -30;  // passes the corner outside
    EXPECT_FALSE(q2dClipLine(view, x1, y1, x2, y2));
    Q2DRect empty{5, 5, 5, 9};
    x1 = 0, y1 = 0, x2 = 9, y2 = 9;
    EXPECT_FALSE(q2dClipLine(empty, x1, y1, x2, y2));
}

TEST(Q2DLine, ExtremeEndsStayExactAndInside) {
    const Q2DRect view{0, 0, 640, 480};
    const int extremes[] = {INT_MIN, INT_MIN + 1, -1, 0, 320, 639, 640, INT_MAX - 1, INT_MAX};
    for (int x1 : extremes)
        for (int y1 : extremes)
            for (int x2 : extremes)
                for (int y2 : {INT_MIN, 0, 240, INT_MAX}) {
                    int a = x1, b = y1, c = x2, d = y2;
                    if (!q2dClipLine(view, a, b, c, d)) continue;
                    for (int v : {a, c}) ASSERT_TRUE(v >= 0 && v < 640) << x1 << " " << y1 << " " << x2 << " " << y2;
                    for (int v : {b, d}) ASSERT_TRUE(v >= 0 && v < 480) << x1 << " " << y1 << " " << x2 << " " << y2;
                }
    // A full diagonal across the 32-bit range: the crossing is exact (64-bit
    // products would overflow here).
    int x1 = INT_MIN, y1 = INT_MIN, x2 = INT_MAX, y2 = INT_MAX;
    ASSERT_TRUE(q2dClipLine(view, x1, y1, x2, y2));
    EXPECT_EQ((std::vector<int>{x1, y1, x2, y2}), (std::vector<int>{0, 0, 479, 479}));
}

TEST(Q2DOval, RowsOfSmallAndOddShapes) {
    // 1x1 is one pixel; 1xn a column; nx1 a row.
    std::set<std::pair<int, int>> pixels;
    auto collect = [&](int x, int y, int w, int h) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) pixels.insert({i, j});
    };
    Q2DOval(10, 10, 1, 1).rows(10, 11, true, collect);
    EXPECT_EQ(pixels, (std::set<std::pair<int, int>>{{10, 10}}));
    pixels.clear();
    Q2DOval(0, 0, 1, 5).rows(0, 5, true, collect);
    EXPECT_EQ(pixels.size(), 5u);
    for (auto [x, y] : pixels) EXPECT_EQ(x, 0);
    pixels.clear();
    Q2DOval(0, 0, 6, 1).rows(0, 1, true, collect);
    EXPECT_EQ(pixels.size(), 6u);

    // A circle of 10 is symmetric left-right and top-bottom, widest in the middle.
    const Q2DOval circle(0, 0, 10, 10);
    for (int row = 0; row < 10; ++row) {
        const Q2DSpan s = circle.span(row), mirror = circle.span(9 - row);
        EXPECT_EQ(s.left + s.right, 10) << row;
        EXPECT_EQ(s.left, mirror.left) << row;
    }
    EXPECT_EQ(circle.span(4).left, 0);
    EXPECT_EQ(circle.span(4).right, 10);
    // Rows outside the box have an empty span (the root's argument is held at 0).
    const Q2DSpan outside = circle.span(-50);
    EXPECT_EQ(outside.left, outside.right - 0);
}

TEST(Q2DOval, OutlineRowsStayConnected) {
    for (auto [w, h] : {std::pair{9, 9}, {10, 10}, {30, 7}, {7, 30}, {2, 2}, {1, 3}}) {
        std::set<std::pair<int, int>> pixels;
        Q2DOval(0, 0, w, h).rows(0, h, false, [&](int x, int y, int ww, int hh) {
            ASSERT_GT(ww, 0);
            for (int j = y; j < y + hh; ++j)
                for (int i = x; i < x + ww; ++i) pixels.insert({i, j});
        });
        for (auto [x, y] : pixels) {
            EXPECT_TRUE(x >= 0 && x < w && y >= 0 && y < h) << w << "x" << h << " at " << x << "," << y;
            bool neighbour = pixels.size() == 1;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if ((dx || dy) && pixels.count({x + dx, y + dy})) neighbour = true;
            EXPECT_TRUE(neighbour) << w << "x" << h << " isolated " << x << "," << y;
        }
    }
}

TEST(Q2DOval, HugeBoxesGiveClampedFiniteSpans) {
    const Q2DOval huge(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    for (int row : {INT_MIN, -1, 0, INT_MAX}) {
        const Q2DSpan s = huge.span(row);
        EXPECT_LE(s.left, s.right);
    }
    EXPECT_EQ(q2dCentred(100, 15), 93);
    EXPECT_EQ(q2dCentred(100, -15), 107);
}
