// Loading picture files into pixmaps: the layout every picture user relies
// on, and failures that leave no object behind.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/QXPixmap.h"
#include "graphics/picture/QXPicture.h"
#include "runtime/QXObject.h"

namespace {

const std::string kPictures = std::string(QX_SOURCE_DIR) + "/tests/data/pictures/";

// The first pixel row of each lossless picture, from expected.txt.
struct FirstRow {
    std::string name;
    int width, height;
    std::vector<std::uint32_t> pixels;
};

std::vector<FirstRow> losslessPictures() {
    std::vector<FirstRow> pictures;
    std::ifstream in(kPictures + "expected.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        FirstRow picture;
        int tolerance;
        fields >> picture.name >> picture.width >> picture.height >> tolerance;
        if (tolerance != 0) continue;
        std::string hex;
        while (fields >> hex) picture.pixels.push_back(std::uint32_t(std::strtoul(hex.c_str(), nullptr, 16)));
        pictures.push_back(std::move(picture));
    }
    return pictures;
}

}  // namespace

TEST(PictureLoad, PicturesBecomeCode4PixmapsAlignedTo4TopRowFirstWithAlphaKept) {
    const int liveBefore = liveObjectCount();
    const std::vector<FirstRow> pictures = losslessPictures();
    ASSERT_GE(pictures.size(), 15u);
    for (const FirstRow& expected : pictures) {
        SCOPED_TRACE(expected.name);
        QXPixmap* pixmap = loadPicture((kPictures + expected.name).c_str());
        ASSERT_NE(pixmap, nullptr);
        EXPECT_EQ(pixmap->refCount, 1);
        EXPECT_EQ(pixmap->format, 4);
        EXPECT_EQ(pixmap->alignment, 4);
        ASSERT_EQ(pixmap->width, expected.width);
        ASSERT_EQ(pixmap->height, expected.height);
        EXPECT_EQ(pixmap->pitch % 4, 0);
        for (int y = 0; y < pixmap->height; ++y)
            for (int x = 0; x < pixmap->width; ++x) {
                std::uint32_t raw;
                std::memcpy(&raw, pixmap->pixels + y * pixmap->pitch + x * 4, 4);
                ASSERT_EQ(raw, expected.pixels[y * expected.width + x]) << "at (" << x << ", " << y << ")";
            }
        // Reading through the store gives colour values (code 4 has no alpha).
        std::uint32_t corner = 0;
        pixmap->read(pixmap->width - 1, pixmap->height - 1, 1, 1, &corner, 4);
        EXPECT_EQ(corner, expected.pixels.back() | 0xFF000000u);
        release(pixmap);
    }
    EXPECT_EQ(liveObjectCount(), liveBefore);
}

TEST(PictureLoad, FailuresReturnNullAndLeaveNoObject) {
    const int liveBefore = liveObjectCount();
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kPictures + "malformed")) {
        ++files;
        EXPECT_EQ(loadPicture(entry.path().string().c_str()), nullptr) << entry.path();
    }
    EXPECT_GE(files, 70);
    EXPECT_EQ(loadPicture((kPictures + "no such picture.png").c_str()), nullptr);
    EXPECT_EQ(loadPicture((kPictures + "make_pictures").c_str()), nullptr);  // no dot
    EXPECT_EQ(loadPicture(""), nullptr);
    EXPECT_EQ(loadPicture(nullptr), nullptr);
    // A PNG named as a BMP fails on its signature.
    const std::string renamed = std::filesystem::temp_directory_path().string() + "/qx_renamed_picture.bmp";
    std::filesystem::copy_file(kPictures + "png_rgba.png", renamed, std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(loadPicture(renamed.c_str()), nullptr);
    std::filesystem::remove(renamed);
    EXPECT_EQ(liveObjectCount(), liveBefore);
}
