#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "graphics/QXPixelFormat.h"
#include "graphics/QXPixelFormatDirectDraw.h"

namespace {

constexpr int kConvertible[] = {1, 2, 3, 4, 7};
constexpr int kUnconverted[] = {5, 6, 0, 8, 99, -1};

// The channel bits each format keeps, worked out from its layout rather than
// from the conversion code.
QXColour keptBits(int format) {
    switch (format) {
    case 1: return 0x00F8FCF8;
    case 2: return 0x00F8F8F8;
    case 7: return 0xFFFFFFFF;
    default: return 0x00FFFFFF;
    }
}

// A colour stored in `first` and then in `second`, as the reader sees it.
QXColour throughBoth(int first, int second, QXColour colour) {
    QXColour kept = colour & keptBits(first) & keptBits(second);
    if (first != 7 || second != 7) kept |= 0xFF000000;
    return kept;
}

std::vector<QXColour> sampleColours() {
    std::vector<QXColour> colours = {0x00000000, 0xFFFFFFFF, 0x80FF0000, 0x0000FF00, 0x7F0000FF, 0xFF123456};
    for (QXColour step = 1; step <= 0x80; step <<= 1)
        for (int shift : {0, 8, 16, 24}) colours.push_back(step << shift);
    std::uint32_t seed = 0x9E3779B9;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        colours.push_back(seed);
    }
    return colours;
}

}  // namespace

TEST(PixelFormat, SizesAndConvertibleCodes) {
    const int expected[][2] = {{1, 2}, {2, 2}, {3, 3}, {4, 4}, {5, 2}, {6, 2}, {7, 4}, {0, 0}, {8, 0}, {-1, 0}};
    for (const auto& [format, bytes] : expected) EXPECT_EQ(bytesPerPixel(format), bytes) << format;
    for (int format : kConvertible) EXPECT_TRUE(isConvertibleFormat(format));
    for (int format : kUnconverted) EXPECT_FALSE(isConvertibleFormat(format));
}

TEST(PixelFormat, ColourToPixelKeepsTopBitsOfEachChannel) {
    // 5:6:5 - the lowest kept and the highest dropped bit of each channel.
    EXPECT_EQ(toPixel(1, 0xFFFFFFFF), 0xFFFFu);
    EXPECT_EQ(toPixel(1, 0xFF000000), 0u);
    EXPECT_EQ(toPixel(1, 0x00080000), 0x0800u);
    EXPECT_EQ(toPixel(1, 0x00070000), 0u);
    EXPECT_EQ(toPixel(1, 0x00000400), 0x0020u);
    EXPECT_EQ(toPixel(1, 0x00000300), 0u);
    EXPECT_EQ(toPixel(1, 0x00000008), 0x0001u);
    EXPECT_EQ(toPixel(1, 0x00000007), 0u);
    EXPECT_EQ(toPixel(1, 0xFF123456), 0x11AAu);
    // 1:5:5:5 - bit 15 is never set.
    EXPECT_EQ(toPixel(2, 0xFFFFFFFF), 0x7FFFu);
    EXPECT_EQ(toPixel(2, 0x00080000), 0x0400u);
    EXPECT_EQ(toPixel(2, 0x00000800), 0x0020u);
    EXPECT_EQ(toPixel(2, 0x00000700), 0u);
    EXPECT_EQ(toPixel(2, 0x00000008), 0x0001u);
    // 24 bits drop alpha; both 32-bit formats keep all four bytes.
    EXPECT_EQ(toPixel(3, 0x80FF0000), 0xFF0000u);
    EXPECT_EQ(toPixel(4, 0x12345678), 0x12345678u);
    EXPECT_EQ(toPixel(7, 0x00ABCDEF), 0x00ABCDEFu);
    for (int format : kUnconverted) EXPECT_EQ(toPixel(format, 0x12345678), 0xFFFF00FFu) << format;
}

TEST(PixelFormat, PixelToColourLeavesMissingLowBitsZero) {
    EXPECT_EQ(toColour(1, 0xFFFF), 0xFFF8FCF8u);
    EXPECT_EQ(toColour(1, 0x0000), 0xFF000000u);
    EXPECT_EQ(toColour(1, 0x0800), 0xFF080000u);
    EXPECT_EQ(toColour(1, 0x0020), 0xFF000400u);
    EXPECT_EQ(toColour(1, 0x0001), 0xFF000008u);
    EXPECT_EQ(toColour(1, 0x11AA), 0xFF103450u);
    EXPECT_EQ(toColour(2, 0x7FFF), 0xFFF8F8F8u);
    EXPECT_EQ(toColour(2, 0x8000), 0xFF000000u);
    EXPECT_EQ(toColour(2, 0x0400), 0xFF080000u);
    EXPECT_EQ(toColour(2, 0x0020), 0xFF000800u);
    EXPECT_EQ(toColour(2, 0x0001), 0xFF000008u);
    EXPECT_EQ(toColour(3, 0xABCDEF), 0xFFABCDEFu);
    EXPECT_EQ(toColour(4, 0x00ABCDEF), 0xFFABCDEFu);
    EXPECT_EQ(toColour(7, 0x00ABCDEF), 0x00ABCDEFu);
    EXPECT_EQ(toColour(7, 0x80ABCDEF), 0x80ABCDEFu);
    for (int format : kUnconverted) EXPECT_EQ(toColour(format, 0x1234), 0xFFFF00FFu) << format;
}

TEST(PixelFormat, EveryPixelOfTheSixteenBitFormatsSurvivesARoundTrip) {
    for (std::uint32_t pixel = 0; pixel <= 0xFFFF; ++pixel) {
        ASSERT_EQ(toPixel(1, toColour(1, pixel)), pixel);
        ASSERT_EQ(toPixel(2, toColour(2, pixel)), pixel & 0x7FFF);
    }
}

TEST(PixelFormat, ColoursThroughEveryPairOfFormats) {
    const std::vector<QXColour> colours = sampleColours();
    for (int first : kConvertible)
        for (int second : kConvertible)
            for (QXColour colour : colours) {
                const QXColour seen = toColour(second, toPixel(second, toColour(first, toPixel(first, colour))));
                ASSERT_EQ(seen, throughBoth(first, second, colour))
                    << "formats " << first << " -> " << second << ", colour " << std::hex << colour;
            }
}

TEST(PixelFormat, MaskKeyCarriesTheFormatsPrecisionWithoutAlpha) {
    EXPECT_EQ(maskKey(2, 0x000007), 0u);
    EXPECT_EQ(maskKey(1, 0xFFFFFFFF), 0xF8FCF8u);
    EXPECT_EQ(maskKey(7, 0x80123456), 0x123456u);
    EXPECT_EQ(maskKey(5, 0), 0xFF00FFu);
}

TEST(PixelFormat, DirectDrawDescriptionsOfTheFourRGBLayouts) {
    const struct {
        int format;
        DWORD bits, red, green, blue;
    } layouts[] = {{1, 16, 0xF800, 0x07E0, 0x001F},
                   {2, 16, 0x7C00, 0x03E0, 0x001F},
                   {3, 24, 0xFF0000, 0xFF00, 0xFF},
                   {4, 32, 0xFF0000, 0xFF00, 0xFF}};
    for (const auto& layout : layouts) {
        const DDPIXELFORMAT description = describeFormat(layout.format);
        EXPECT_EQ(description.dwSize, 32u);
        EXPECT_EQ(description.dwFlags, 0x40u);
        EXPECT_EQ(description.dwFourCC, 0u);
        EXPECT_EQ(description.dwRGBBitCount, layout.bits);
        EXPECT_EQ(description.dwRBitMask, layout.red);
        EXPECT_EQ(description.dwGBitMask, layout.green);
        EXPECT_EQ(description.dwBBitMask, layout.blue);
        EXPECT_EQ(description.dwRGBAlphaBitMask, 0u);

        DDPIXELFORMAT withAlpha = description;
        withAlpha.dwRGBAlphaBitMask = 0xFF000000;  // not compared
        withAlpha.dwFlags = 0;                     // nor are the flags
        EXPECT_EQ(recogniseFormat(withAlpha, true), layout.format);
    }
    EXPECT_EQ(runtimeErrorOf([] { describeFormat(7); }), "Unrecognized Quelt pixel format: 7");
    EXPECT_EQ(runtimeErrorOf([] { describeFormat(-3); }), "Unrecognized Quelt pixel format: -3");

    DDPIXELFORMAT bgr = describeFormat(4);
    std::swap(bgr.dwRBitMask, bgr.dwBBitMask);
    bgr.dwRGBAlphaBitMask = 0xFF000000;
    EXPECT_EQ(recogniseFormat(bgr, false), 0);
    EXPECT_EQ(runtimeErrorOf([&] { recogniseFormat(bgr, true); }),
              "Unrecognized DirectDraw pixel format: bpp=32 rmask=ff gmask=ff00 bmask=ff0000 amask=ff000000");
    DDPIXELFORMAT palette{};
    palette.dwRGBBitCount = 8;
    EXPECT_EQ(recogniseFormat(palette, false), 0);
}
