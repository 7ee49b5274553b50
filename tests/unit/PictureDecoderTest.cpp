// Picture decoding against pictures made by an independent tool with known
// pixels, and against a corpus of malformed files that must all fail.
// Portable: built for Windows with the unit tests and natively with the
// sanitizers.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/picture/QXPictureDecoder.h"

#if defined(__clang__) && defined(__has_feature)
#if __has_feature(address_sanitizer)
// The decoder does not clear its working state: with fresh blocks full of
// 0xFF, as reused memory can be, a file that decodes with an undefined table
// reads far outside the decoder's arrays instead of failing quietly.
extern "C" const char* __asan_default_options() { return "malloc_fill_byte=255:max_malloc_fill_size=67108864"; }
#endif
#endif

namespace {

const std::string kPictures = std::string(QX_SOURCE_DIR) + "/tests/data/pictures/";

struct ExpectedPicture {
    std::string name;
    int width = 0;
    int height = 0;
    int tolerance = 0;
    std::vector<std::uint32_t> pixels;
};

std::vector<ExpectedPicture> expectedPictures() {
    std::vector<ExpectedPicture> pictures;
    std::ifstream in(kPictures + "expected.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        ExpectedPicture picture;
        fields >> picture.name >> picture.width >> picture.height >> picture.tolerance;
        std::string hex;
        while (fields >> hex) picture.pixels.push_back(std::uint32_t(std::strtoul(hex.c_str(), nullptr, 16)));
        pictures.push_back(std::move(picture));
    }
    return pictures;
}

std::optional<QXDecodedPicture> decodeFile(const std::string& path) {
    std::optional<QXPictureFormat> format = pictureFormatForName(path);
    if (!format) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> bytes = readPictureFile(path.c_str());
    if (!bytes) return std::nullopt;
    return decodePicture(*bytes, *format);
}

int channelDistance(std::uint32_t a, std::uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

}  // namespace

TEST(PictureDecoder, TheExtensionAfterTheLastDotChoosesTheFormatInAnyCase) {
    using F = QXPictureFormat;
    const struct {
        const char* name;
        std::optional<F> format;
    } cases[] = {
        {"a.png", F::Png},          {"A.PNG", F::Png},        {"x.Jpg", F::Jpeg},  {"x.JPEG", F::Jpeg},
        {"x.jpeg", F::Jpeg},        {"x.bmp", F::Bmp},        {"x.gif", F::Bmp},   {"x.", F::Bmp},
        {"dir.png/pic", F::Bmp},    {"pic.png.jpg", F::Jpeg}, {"pic.jpg.png", F::Png},
        {"x.pngx", F::Bmp},         {"x.jp", F::Bmp},         {"noextension", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(pictureFormatForName(c.name), c.format) << c.name;
}

TEST(PictureDecoder, EveryTestPictureDecodesToItsKnownPixelsTopRowFirst) {
    const std::vector<ExpectedPicture> pictures = expectedPictures();
    ASSERT_GE(pictures.size(), 17u) << "expected.txt lists every picture";
    for (const ExpectedPicture& expected : pictures) {
        SCOPED_TRACE(expected.name);
        std::optional<QXDecodedPicture> picture = decodeFile(kPictures + expected.name);
        ASSERT_TRUE(picture);
        ASSERT_EQ(picture->width, expected.width);
        ASSERT_EQ(picture->height, expected.height);
        ASSERT_EQ(expected.pixels.size(), std::size_t(expected.width * expected.height));
        int mismatches = 0;
        for (std::size_t i = 0; i < expected.pixels.size(); ++i) {
            const std::uint32_t got = picture->pixels()[i];
            if (channelDistance(got, expected.pixels[i]) > expected.tolerance && ++mismatches <= 3)
                ADD_FAILURE() << "pixel (" << i % expected.width << ", " << i / expected.width << ") is " << std::hex
                              << got << ", expected " << expected.pixels[i];
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(PictureDecoder, EveryMalformedFileFails) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kPictures + "malformed")) {
        ++files;
        const std::string path = entry.path().string();
        EXPECT_FALSE(decodeFile(path)) << path;
    }
    EXPECT_GE(files, 70);
}

TEST(PictureDecoder, ASignatureOtherThanTheExtensionsFormatFails) {
    std::optional<std::vector<std::uint8_t>> png = readPictureFile((kPictures + "png_rgba.png").c_str());
    std::optional<std::vector<std::uint8_t>> bmp = readPictureFile((kPictures + "bmp24_topdown.bmp").c_str());
    std::optional<std::vector<std::uint8_t>> jpeg = readPictureFile((kPictures + "jpeg_baseline.jpg").c_str());
    ASSERT_TRUE(png && bmp && jpeg);
    EXPECT_TRUE(decodePicture(*png, QXPictureFormat::Png));
    EXPECT_FALSE(decodePicture(*png, QXPictureFormat::Bmp));
    EXPECT_FALSE(decodePicture(*png, QXPictureFormat::Jpeg));
    EXPECT_FALSE(decodePicture(*bmp, QXPictureFormat::Png));
    EXPECT_FALSE(decodePicture(*jpeg, QXPictureFormat::Bmp));
    EXPECT_FALSE(decodePicture({}, QXPictureFormat::Png));
}

TEST(PictureDecoder, EveryTruncationOfAGoodPictureFails) {
    for (const char* name : {"png_palette_interlaced.png", "bmp4_topdown.bmp", "jpeg_progressive.jpg"}) {
        std::optional<std::vector<std::uint8_t>> bytes = readPictureFile((kPictures + name).c_str());
        ASSERT_TRUE(bytes) << name;
        const QXPictureFormat format = *pictureFormatForName(name);
        ASSERT_TRUE(decodePicture(*bytes, format)) << name;
        for (std::size_t size = 0; size < bytes->size(); ++size)
            ASSERT_FALSE(decodePicture(std::span(bytes->data(), size), format)) << name << " cut to " << size;
    }
}

TEST(PictureDecoder, FilesAreReadOnlyUpToTheSizeLimit) {
    const std::string path = kPictures + "png_grey.png";
    std::optional<std::vector<std::uint8_t>> whole = readPictureFile(path.c_str());
    ASSERT_TRUE(whole);
    EXPECT_TRUE(readPictureFile(path.c_str(), whole->size()));
    EXPECT_FALSE(readPictureFile(path.c_str(), whole->size() - 1));
    EXPECT_FALSE(readPictureFile((kPictures + "no such file.png").c_str()));
    EXPECT_FALSE(readPictureFile(nullptr));
}
