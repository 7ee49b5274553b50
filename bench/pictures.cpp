// Loading 1024 x 768 pictures: the picture loader (checks, decoding, colour
// conversion, file read, pixmap) against stb_image decoding the same bytes
// directly, in one process. The pictures are written here with
// stb_image_write from a textured pattern.

#include "bench/BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "graphics/QXPixmap.h"
#include "graphics/picture/QXPicture.h"
#include "graphics/picture/QXPictureDecoder.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <stb_image.h>
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kPasses = 5;
constexpr int kRepeats = 3;

// Seconds per pass, the best of the repeats.
double timePerPass(const std::function<void()>& pass) {
    double best = 1e30;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        const double start = now();
        for (int i = 0; i < kPasses; ++i) pass();
        best = std::min(best, now() - start);
    }
    return best / kPasses;
}

// Smooth gradients under a little noise: neither trivial nor incompressible.
std::vector<unsigned char> texture() {
    std::vector<unsigned char> rgba(std::size_t(kWidth) * kHeight * 4);
    unsigned seed = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) & 15) - 8;
            unsigned char* p = &rgba[(std::size_t(y) * kWidth + x) * 4];
            p[0] = static_cast<unsigned char>(std::clamp(x / 4 + noise, 0, 255));
            p[1] = static_cast<unsigned char>(std::clamp(y / 3 + noise, 0, 255));
            p[2] = static_cast<unsigned char>(std::clamp((x + y) / 7 + noise, 0, 255));
            p[3] = 255;
        }
    return rgba;
}

void report(const char* label, const std::string& file) {
    std::optional<std::vector<std::uint8_t>> bytes = readPictureFile(file.c_str());
    if (!bytes) {
        std::printf("  %s: cannot read %s\n", label, file.c_str());
        return;
    }
    const QXPictureFormat format = *pictureFormatForName(file);
    const double direct = timePerPass([&] {
        int w, h, channels;
        stbi_image_free(stbi_load_from_memory(bytes->data(), int(bytes->size()), &w, &h, &channels, 4));
    });
    const double decoder = timePerPass([&] { decodePicture(*bytes, format); });
    const double loader = timePerPass([&] { release(loadPicture(file.c_str())); });
    // The loader's pixels against stb's.
    int w = 0, h = 0, channels = 0;
    unsigned char* rgba = stbi_load_from_memory(bytes->data(), int(bytes->size()), &w, &h, &channels, 4);
    QXPixmap* loaded = loadPicture(file.c_str());
    bool same = loaded && rgba && loaded->width == w && loaded->height == h;
    for (int y = 0; same && y < h; y += 97)
        for (int x = 0; same && x < w; x += 13) {
            QXColour c = 0;
            loaded->read(x, y, 1, 1, &c, 4);
            const unsigned char* p = &rgba[(std::size_t(y) * w + x) * 4];
            same = (c & 0xFFFFFFu) == (QXColour(p[0]) << 16 | QXColour(p[1]) << 8 | p[2]);
        }
    if (loaded) release(loaded);
    stbi_image_free(rgba);
    char name[48];
    std::snprintf(name, sizeof name, "%s 1024 x 768, decoder", label);
    costFigure(name, decoder, direct, "stb_image", 0, same);
    std::snprintf(name, sizeof name, "%s 1024 x 768, loader with file read", label);
    costFigure(name, loader, direct, "stb_image", 0, same);
    std::printf("  %-5s %7zu bytes: stb %6.2f ms, decoder %6.2f ms (%.2fx), loader with file read %6.2f ms (%.2fx)\n",
                label, bytes->size(), direct * 1e3, decoder * 1e3, decoder / direct, loader * 1e3, loader / direct);
}

}  // namespace

int main() {
    std::printf("pictures: %d x %d, best of %d runs of %d passes\n", kWidth, kHeight, kRepeats, kPasses);
    const std::vector<unsigned char> rgba = texture();
    const std::string png = "bench_picture.png", jpeg = "bench_picture.jpg";
    stbi_write_png(png.c_str(), kWidth, kHeight, 4, rgba.data(), kWidth * 4);
    stbi_write_jpg(jpeg.c_str(), kWidth, kHeight, 4, rgba.data(), 90);
    report("PNG", png);
    report("JPEG", jpeg);
    std::remove(png.c_str());
    std::remove(jpeg.c_str());
    return benchStatus();
}
