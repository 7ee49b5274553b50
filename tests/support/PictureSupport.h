#pragma once
// Pictures the program tests look at (PNG and BMP files read with stb_image)
// and the ways they compare them.

#include <cstddef>
#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

// The file's pixels as RGB, or an empty picture when it cannot be read.
Picture loadPicture(const std::string& file);

// Writes the picture as PNG; false on failure.
bool savePicture(const Picture& picture, const std::string& file);

// The largest difference between two pixels in one of red, green and blue.
int channelDistance(const unsigned char* a, const unsigned char* b);

// How two pictures of one size differ: pixels off by more than a shade, and
// the mean distance over all pixels.
struct Difference {
    int pixels = 0;
    double mean = 0;
};

Difference compareRegions(const Picture& a, int ax, int ay, const Picture& b, int bx, int by, int width, int height);

// The pixel lies within a few shades of the colour.
bool closeTo(const unsigned char* pixel, int red, int green, int blue);
