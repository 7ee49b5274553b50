#include "graphics/images/QXCollisionMask.h"

#include <algorithm>
#include <utility>

QXCollisionMask::QXCollisionMask(const QXPixelView& frame, QXColour maskColour)
    : width_(std::max(frame.width, 0)),
      height_(std::max(frame.height, 0)),
      wordsPerRow_((width_ + 31) / 32 + 1),
      words_(std::size_t(height_) * std::size_t(wordsPerRow_), 0) {
    if (!frame.pixels) return;
    const QXColour key = maskKey(frame.format, maskColour);
    for (int y = 0; y < height_; ++y) {
        std::uint32_t* bits = words_.data() + std::size_t(y) * std::size_t(wordsPerRow_);
        for (int x = 0; x < width_; ++x)
            if ((frame.colour(x, y) & 0xFFFFFF) != key) bits[x >> 5] |= 0x80000000u >> (x & 31);
    }
}

bool rectsOverlap(std::int64_t x1, std::int64_t y1, std::int64_t width1, std::int64_t height1, std::int64_t x2,
                  std::int64_t y2, std::int64_t width2, std::int64_t height2) {
    return x2 < x1 + width1 && x1 < x2 + width2 && y2 < y1 + height1 && y1 < y2 + height2;
}

namespace {

// The 32 bits of a row that start `shift` bits (1-31) before word `index`.
inline std::uint32_t shiftedWord(const std::uint32_t* row, int index, int shift) {
    const std::uint32_t before = index > 0 ? row[index - 1] << (32 - shift) : 0;
    return before | (row[index] >> shift);
}

}  // namespace

bool masksCollide(const QXCollisionMask& first, std::int64_t x1, std::int64_t y1, const QXCollisionMask& second,
                  std::int64_t x2, std::int64_t y2) {
    if (!rectsOverlap(x1, y1, first.width(), first.height(), x2, y2, second.width(), second.height())) return false;

    // The left box is the reference; the other's rows are shifted right onto its words.
    const QXCollisionMask* left = &first;
    const QXCollisionMask* right = &second;
    if (x2 < x1) {
        std::swap(left, right);
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    // The boxes overlap, so both distances lie inside the boxes and fit an int.
    const int distance = static_cast<int>(x2 - x1);
    const int top = static_cast<int>(std::max(y1, y2) - y1);
    const int rowsBoth = static_cast<int>(std::min(y1 + left->height(), y2 + right->height()) - std::max(y1, y2));
    const int rightTop = static_cast<int>(std::max(y1, y2) - y2);

    const int wordShift = distance >> 5;
    const int bitShift = distance & 31;
    const int firstWord = wordShift;
    const int lastWord = (std::min(left->width(), distance + right->width()) - 1) >> 5;

    for (int row = 0; row < rowsBoth; ++row) {
        const std::uint32_t* reference = left->row(top + row);
        const std::uint32_t* other = right->row(rightTop + row);
        if (bitShift == 0) {
            // A shift by a whole number of words: the words line up (and a
            // shift by 32 would be undefined).
            for (int word = firstWord; word <= lastWord; ++word)
                if (reference[word] & other[word - wordShift]) return true;
        } else {
            // The last word can reach the other row's spare word, which is 0.
            for (int word = firstWord; word <= lastWord; ++word)
                if (reference[word] & shiftedWord(other, word - wordShift, bitShift)) return true;
        }
    }
    return false;
}

bool maskMeetsRect(const QXCollisionMask& mask, std::int64_t x, std::int64_t y, std::int64_t rectX, std::int64_t rectY,
                   std::int64_t rectWidth, std::int64_t rectHeight) {
    const std::int64_t left = std::max(rectX, x) - x;
    const std::int64_t right = std::min(rectX + rectWidth, x + mask.width()) - x;
    const std::int64_t top = std::max(rectY, y) - y;
    const std::int64_t bottom = std::min(rectY + rectHeight, y + mask.height()) - y;
    if (left >= right || top >= bottom) return false;

    const int firstWord = static_cast<int>(left >> 5);
    const int lastWord = static_cast<int>((right - 1) >> 5);
    const std::uint32_t leftBits = 0xFFFFFFFFu >> (left & 31);
    const std::uint32_t rightBits = 0xFFFFFFFFu << (31 - ((right - 1) & 31));
    for (auto row = static_cast<int>(top); row < bottom; ++row) {
        const std::uint32_t* bits = mask.row(row);
        if (firstWord == lastWord) {
            if (bits[firstWord] & leftBits & rightBits) return true;
            continue;
        }
        if (bits[firstWord] & leftBits) return true;
        for (int word = firstWord + 1; word < lastWord; ++word)
            if (bits[word]) return true;
        if (bits[lastWord] & rightBits) return true;
    }
    return false;
}
