#pragma once
// How large an image may be. Sizes come from programs (and from transforms of
// what they drew); they are checked in 64 bits before anything is allocated,
// so that a product never wraps into a small, wrong allocation.

#include <cstdint>

// Pixels of one frame: 8192 × 8192 at most (256 MiB at 32 bits a pixel).
inline constexpr std::int64_t kMaxImageFramePixels = std::int64_t(1) << 26;
// Pixels of all frames of one image together.
inline constexpr std::int64_t kMaxImagePixels = std::int64_t(1) << 27;

constexpr bool imageSizeAllowed(std::int64_t width, std::int64_t height, std::int64_t frames) {
    if (width < 1 || height < 1 || frames < 1) return false;
    if (width > kMaxImageFramePixels || height > kMaxImageFramePixels || frames > kMaxImagePixels) return false;
    const std::int64_t framePixels = width * height;
    return framePixels <= kMaxImageFramePixels && framePixels * frames <= kMaxImagePixels;
}
