// Collision masks and the overlap and collision tests, against brute-force
// per-pixel references on thousands of random shapes and placements.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <vector>

#include "graphics/images/QXCollisionMask.h"

namespace {

// A frame of random pixels with the solid ones recorded independently of any
// mask arithmetic.
struct RandomFrame {
    int width, height, format;
    std::vector<std::uint8_t> memory;
    std::vector<bool> solid;
    QXColour mask;

    QXPixelView view() { return {memory.data(), width * bytesPerPixel(format) + 2, format, width, height}; }
    bool solidAt(int x, int y) const { return solid[std::size_t(y * width + x)]; }
};

// Code 4 frames use the mask colour 0xFF00FF (any alpha); code 1 frames use
// 0x070307, which the 16-bit format cannot tell apart from black, so black
// pixels stored there are the transparent ones.
RandomFrame randomFrame(std::mt19937& random, int width, int height, int format, double density) {
    RandomFrame frame{width, height, format, {}, {}, 0};
    const int pitch = width * bytesPerPixel(format) + 2;
    frame.memory.assign(std::size_t(pitch * height), 0xEE);
    frame.solid.resize(std::size_t(width * height));
    frame.mask = format == QXFormatRGB565 ? 0x070307 : 0xFF00FF;
    std::bernoulli_distribution isSolid(density);
    std::uniform_int_distribution<std::uint32_t> any;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* at = frame.memory.data() + y * pitch + x * bytesPerPixel(format);
            const bool solid = isSolid(random);
            frame.solid[std::size_t(y * width + x)] = solid;
            if (format == QXFormatRGB565) {
                std::uint32_t pixel = solid ? (any(random) % 0xFFFF) + 1 : 0;
                storePixel(format, at, pixel);
            } else {
                std::uint32_t pixel = any(random) & 0xFFFFFF;
                if (!solid) pixel = 0xFF00FF;
                if (solid && pixel == 0xFF00FF) pixel = 0xFE00FF;
                storePixel(format, at, pixel | (any(random) & 0xFF000000));  // alpha never matters
            }
        }
    return frame;
}

bool bruteCollide(const RandomFrame& a, std::int64_t ax, std::int64_t ay, const RandomFrame& b, std::int64_t bx,
                  std::int64_t by) {
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (!a.solidAt(x, y)) continue;
            const std::int64_t u = ax + x - bx, v = ay + y - by;
            if (u >= 0 && v >= 0 && u < b.width && v < b.height && b.solidAt(int(u), int(v))) return true;
        }
    return false;
}

bool bruteRect(const RandomFrame& a, std::int64_t ax, std::int64_t ay, std::int64_t rx, std::int64_t ry,
               std::int64_t rw, std::int64_t rh) {
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const std::int64_t u = ax + x, v = ay + y;
            if (a.solidAt(x, y) && u >= rx && u < rx + rw && v >= ry && v < ry + rh) return true;
        }
    return false;
}

TEST(CollisionMask, PacksThirtyTwoPixelsAWordLeftMostInTheTopBitWithASpareWordPerRow) {
    std::mt19937 random(7);
    for (int width : {1, 31, 32, 33, 64, 65, 100}) {
        RandomFrame frame = randomFrame(random, width, 3, QXFormatXRGB8888, 0.5);
        const QXCollisionMask mask(frame.view(), frame.mask);
        ASSERT_EQ(mask.wordsPerRow(), (width + 31) / 32 + 1);
        for (int y = 0; y < 3; ++y) {
            const std::uint32_t* row = mask.row(y);
            EXPECT_EQ(row[mask.wordsPerRow() - 1], 0u) << "spare word";
            for (int x = 0; x < mask.wordsPerRow() * 32; ++x) {
                const bool bit = (row[x / 32] >> (31 - x % 32)) & 1;
                EXPECT_EQ(bit, x < width && frame.solidAt(x, y)) << width << " " << x << "," << y;
            }
        }
    }
}

TEST(CollisionMask, KeyIsTheMaskColourAsTheFormatKeepsItWithoutAlpha) {
    // 0x070307 reads back from 16 bits as black; so does a pure black pixel.
    std::uint16_t pixels[4] = {0x0000, 0x0001, 0xF800, 0x0000};
    const QXPixelView view{reinterpret_cast<std::uint8_t*>(pixels), 8, QXFormatRGB565, 4, 1};
    const QXCollisionMask mask(view, 0xAA070307);
    EXPECT_EQ(mask.row(0)[0], 0x60000000u);
    // In 32 bits the alpha of pixels does not count.
    std::uint32_t wide[3] = {0x00123456, 0xFF123456, 0xFF123457};
    const QXCollisionMask wideMask({reinterpret_cast<std::uint8_t*>(wide), 12, QXFormatXRGB8888, 3, 1}, 0x123456);
    EXPECT_EQ(wideMask.row(0)[0], 0x20000000u);
}

TEST(CollisionMask, RandomShapesAndPlacementsAgreeWithPixelByPixelTests) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> size(1, 80);
    std::uniform_int_distribution<int> offset(-90, 90);
    std::uniform_int_distribution<int> wholeWords(-3, 3);
    std::uniform_real_distribution<double> density(0.01, 0.6);
    int collisions = 0, misses = 0;
    for (int shape = 0; shape < 1500; ++shape) {
        const int format = shape % 3 == 0 ? QXFormatRGB565 : QXFormatXRGB8888;
        RandomFrame a = randomFrame(random, size(random), size(random), format, density(random));
        RandomFrame b = randomFrame(random, size(random), size(random), QXFormatXRGB8888, density(random));
        const QXCollisionMask maskA(a.view(), a.mask), maskB(b.view(), b.mask);
        for (int placement = 0; placement < 8; ++placement) {
            const std::int64_t ax = offset(random) - 1000, ay = offset(random) + 500;
            // Every fourth placement puts the boxes a whole number of words apart.
            const std::int64_t bx = placement % 4 == 0 ? ax + 32 * wholeWords(random) : ax + offset(random);
            const std::int64_t by = ay + offset(random) / 2;
            const bool expected = bruteCollide(a, ax, ay, b, bx, by);
            ASSERT_EQ(masksCollide(maskA, ax, ay, maskB, bx, by), expected)
                << "shape " << shape << " a " << a.width << "x" << a.height << " b " << b.width << "x" << b.height
                << " at (" << ax << "," << ay << ") (" << bx << "," << by << ")";
            ASSERT_EQ(masksCollide(maskB, bx, by, maskA, ax, ay), expected) << "symmetric";
            (expected ? collisions : misses)++;

            const std::int64_t rx = ax + offset(random) / 2, ry = ay + offset(random) / 2;
            const std::int64_t rw = size(random) - 5, rh = size(random) - 5;  // some empty or negative
            ASSERT_EQ(maskMeetsRect(maskA, ax, ay, rx, ry, rw, rh), bruteRect(a, ax, ay, rx, ry, rw, rh))
                << "rect (" << rx << "," << ry << "," << rw << "," << rh << ") a " << a.width << "x" << a.height;
        }
    }
    // Both answers were well exercised.
    EXPECT_GT(collisions, 1500);
    EXPECT_GT(misses, 1500);
}

TEST(CollisionMask, SinglePixelsMeetOnlyWhereTheyCoincide) {
    // One solid pixel in each frame, at every column of a word and across words.
    for (int width : {32, 70}) {
        for (int column = 0; column < width; ++column) {
            std::vector<std::uint32_t> first(std::size_t(width), 0), second(std::size_t(width), 0);
            first[std::size_t(column)] = 0xFFFFFF;
            second[0] = 0xFFFFFF;
            const QXCollisionMask a({reinterpret_cast<std::uint8_t*>(first.data()), width * 4, 4, width, 1}, 0);
            const QXCollisionMask b({reinterpret_cast<std::uint8_t*>(second.data()), width * 4, 4, width, 1}, 0);
            for (int shift = -width; shift <= width; ++shift)
                ASSERT_EQ(masksCollide(a, 0, 0, b, shift, 0), shift == column) << width << " " << column << " " << shift;
        }
    }
}

TEST(CollisionMask, RectangleEdgesInsideWords) {
    std::vector<std::uint32_t> pixels(100, 0);
    pixels[40] = 0xFFFFFF;  // the only solid pixel: word 1, bit 8
    const QXCollisionMask mask({reinterpret_cast<std::uint8_t*>(pixels.data()), 400, 4, 100, 1}, 0);
    for (int left = -5; left < 105; ++left)
        for (int right = left; right < 105; ++right)
            ASSERT_EQ(maskMeetsRect(mask, 0, 0, left, 0, right - left, 1), left <= 40 && 40 < right)
                << left << ".." << right;
}

TEST(RectsOverlap, StrictEdgesAndNoOverflowNearTheIntegerLimits) {
    EXPECT_FALSE(rectsOverlap(0, 0, 10, 10, 10, 0, 10, 10));  // touching edges
    EXPECT_FALSE(rectsOverlap(0, 0, 10, 10, 0, 10, 10, 10));
    EXPECT_TRUE(rectsOverlap(0, 0, 10, 10, 9, 9, 10, 10));
    EXPECT_FALSE(rectsOverlap(0, 0, 0, 10, 0, 0, 10, 10));   // empty box
    EXPECT_TRUE(rectsOverlap(-5, -5, 6, 6, 0, 0, 1, 1));
    // In 32 bits INT_MAX - 5 + 10 would wrap negative and lose the overlap.
    EXPECT_TRUE(rectsOverlap(INT_MAX - 5, 0, 10, 10, INT_MAX - 1, 0, 10, 10));
    EXPECT_FALSE(rectsOverlap(INT_MIN, 0, 10, 10, INT_MAX - 5, 0, INT_MAX, 10));
    EXPECT_TRUE(rectsOverlap(INT_MIN, INT_MIN, INT_MAX, INT_MAX, -2, -2, 1, 1));
}

TEST(CollisionMask, FarApartAndAtExtremeCoordinates) {
    std::vector<std::uint32_t> pixels(64 * 64, 0xFFFFFF);
    const QXCollisionMask mask({reinterpret_cast<std::uint8_t*>(pixels.data()), 64 * 4, 4, 64, 64}, 0);
    EXPECT_TRUE(masksCollide(mask, INT_MAX - 10, INT_MIN, mask, INT_MAX - 70, INT_MIN + 63));
    EXPECT_FALSE(masksCollide(mask, INT_MAX, 0, mask, INT_MIN, 0));
    EXPECT_FALSE(masksCollide(mask, 0, 0, mask, 64, 0));
    EXPECT_TRUE(masksCollide(mask, 0, 0, mask, 63, 63));
    EXPECT_TRUE(maskMeetsRect(mask, INT_MAX - 3, 0, INT_MAX - 1, 0, INT_MAX, 1));
}

}  // namespace
