#include "support/PictureSupport.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cstdlib>

Picture loadPicture(const std::string& file) {
    Picture picture;
    int channels = 0;
    unsigned char* pixels = stbi_load(file.c_str(), &picture.width, &picture.height, &channels, 3);
    if (!pixels) return {};
    picture.rgb.assign(pixels, pixels + static_cast<std::size_t>(picture.width) * picture.height * 3);
    stbi_image_free(pixels);
    return picture;
}

bool savePicture(const Picture& picture, const std::string& file) {
    return stbi_write_png(file.c_str(), picture.width, picture.height, 3, picture.rgb.data(), picture.width * 3) != 0;
}

int channelDistance(const unsigned char* a, const unsigned char* b) {
    int most = 0;
    for (int c = 0; c < 3; ++c) most = (std::max)(most, std::abs(a[c] - b[c]));
    return most;
}

Difference compareRegions(const Picture& a, int ax, int ay, const Picture& b, int bx, int by, int width, int height) {
    Difference difference;
    long long total = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int distance = channelDistance(a.at(ax + x, ay + y), b.at(bx + x, by + y));
            total += distance;
            difference.pixels += distance > 24;
        }
    difference.mean = static_cast<double>(total) / (static_cast<double>(width) * height);
    return difference;
}

bool closeTo(const unsigned char* pixel, int red, int green, int blue) {
    const unsigned char expected[3] = {static_cast<unsigned char>(red), static_cast<unsigned char>(green),
                                       static_cast<unsigned char>(blue)};
    return channelDistance(pixel, expected) <= 8;
}
