#pragma once
// Pixel-exact collision of image frames: a frame's solid pixels packed 32 to a
// word, the left-most pixel in the top bit, every row followed by one spare
// word that stays 0 so that a shifted row can read one word past its end.

#include <cstdint>
#include <vector>

#include "graphics/images/QXPixelView.h"

class QXCollisionMask {
public:
    // A pixel is solid when its colour, read back, differs in its low 24 bits
    // from the mask colour as the store's format keeps it.
    QXCollisionMask(const QXPixelView& frame, QXColour maskColour);

    int width() const { return width_; }
    int height() const { return height_; }
    int wordsPerRow() const { return wordsPerRow_; }
    const std::uint32_t* row(int y) const { return words_.data() + std::size_t(y) * std::size_t(wordsPerRow_); }
    bool solid(int x, int y) const { return (row(y)[x >> 5] & (0x80000000u >> (x & 31))) != 0; }

private:
    int width_;
    int height_;
    int wordsPerRow_;
    std::vector<std::uint32_t> words_;
};

// Whether two boxes share a pixel; touching edges do not. Sums are taken in 64
// bits so that no coordinates overflow.
bool rectsOverlap(std::int64_t x1, std::int64_t y1, std::int64_t width1, std::int64_t height1, std::int64_t x2,
                  std::int64_t y2, std::int64_t width2, std::int64_t height2);

// Whether the masks, their top-left corners placed at (x1, y1) and (x2, y2),
// share a solid pixel.
bool masksCollide(const QXCollisionMask& first, std::int64_t x1, std::int64_t y1, const QXCollisionMask& second,
                  std::int64_t x2, std::int64_t y2);

// Whether the mask placed at (x, y) has a solid pixel inside the rectangle.
bool maskMeetsRect(const QXCollisionMask& mask, std::int64_t x, std::int64_t y, std::int64_t rectX, std::int64_t rectY,
                   std::int64_t rectWidth, std::int64_t rectHeight);
