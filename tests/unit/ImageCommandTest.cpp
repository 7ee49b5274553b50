// The image commands in-process, over a stand-in 2D driver whose stores are
// memory pixmaps: creation and its limits, frame indices, drawing, tiling,
// grabbing, transforms, collision through the commands, loading and saving.
// The stand-in's blit checks that no caller hands it an area outside the
// source store.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/QXString.h"
#include "graphics/Q2DBuffer.h"
#include "graphics/QXPixmap.h"
#include "graphics/images/Q2DImage.h"

namespace {

QXModuleList standInModules;

class PixmapDriver : public QXGrDriver2D {
public:
    PixmapDriver() : QXGrDriver2D(standInModules) {}

    void setContext(QXGrContext* context) override {
        if (context) retain(context);
        release(current_);
        current_ = context;
    }
    QXGrContext* createContext(QXGraphics* graphics) override { return new QXGrContext(graphics, nullptr); }
    void setFont(QXFont*) override {}
    void setColour(QXColour colour) override { current().colour = colour; }
    void setViewport(int left, int top, int right, int bottom) override {
        current().viewport = {left, top, right, bottom};
    }
    QXFont* getFont() override { return nullptr; }
    QXColour getColour() override { return current().colour; }
    Q2DRect getViewport() override { return current().viewport; }
    void plot(int, int) override {}
    void line(int, int, int, int) override {}
    void rect(int x, int y, int w, int h, bool) override {
        Q2DRect r;
        if (q2dClip(current().viewport, x, y, w, h, r))
            current().graphics->fill(r.left, r.top, r.width(), r.height(), current().colour);
    }
    void oval(int, int, int, int, bool) override {}
    void blit(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) override {
        ++blits;
        if (sourceX < 0 || sourceY < 0 || w < 0 || h < 0 || sourceX + w > source->width ||
            sourceY + h > source->height)
            ++blitsOutsideSource;
        Q2DRect r;
        if (q2dClipWithSource(current().viewport, x, y, w, h, sourceX, sourceY, r))
            current().graphics->copy(r.left, r.top, r.width(), r.height(), source, sourceX, sourceY, flags);
    }
    void text(int, int, const QXString*) override {}
    QXGraphics* createGraphics(int width, int height, int) override {
        return createPixmap(width, height, storeFormat, 4);
    }

    QXGrContext& current() {
        if (!current_) runtimeError("No graphics buffer is set");
        return *current_;
    }

    int storeFormat = QXFormatXRGB8888;
    int blits = 0;
    int blitsOutsideSource = 0;

private:
    QXGrContext* current_ = nullptr;
};

// Commands as compiled code calls them.
using I = int;
template <class R, class... A> using Fn = R(QXCALL*)(A...);
struct ImageCommands {
    Fn<I, I, I, I, I> createImage = command<Fn<I, I, I, I, I>>("%CreateImage%width%height%frames=1%flags=2");
    Fn<I, QXString*, I> loadImage = command<Fn<I, QXString*, I>>("%LoadImage$file%flags=1");
    Fn<I, QXString*, I, I, I, I, I> loadAnimImage =
        command<Fn<I, QXString*, I, I, I, I, I>>("%LoadAnimImage$file%width%height%first%count%flags=1");
    Fn<I, I> copyImage = command<Fn<I, I>>("%CopyImage%image");
    Fn<void, I> freeImage = command<Fn<void, I>>("FreeImage%image");
    Fn<void, I, I, I, I> maskImage = command<Fn<void, I, I, I, I>>("MaskImage%image%red%green%blue");
    Fn<void, I, I, I> handleImage = command<Fn<void, I, I, I>>("HandleImage%image%handle_x%handle_y");
    Fn<void, I> midHandle = command<Fn<void, I>>("MidHandle%image");
    Fn<void, I> autoMidHandle = command<Fn<void, I>>("AutoMidHandle%enable");
    Fn<I, I> imageWidth = command<Fn<I, I>>("%ImageWidth%image");
    Fn<I, I> imageHeight = command<Fn<I, I>>("%ImageHeight%image");
    Fn<I, I> imageXHandle = command<Fn<I, I>>("%ImageXHandle%image");
    Fn<I, I> imageYHandle = command<Fn<I, I>>("%ImageYHandle%image");
    Fn<I, I, I> imageBuffer = command<Fn<I, I, I>>("%ImageBuffer%image%frame=0");
    Fn<I, I, QXString*, I> saveImage = command<Fn<I, I, QXString*, I>>("%SaveImage%image$file%frame=0");
    Fn<void, I> tformFilter = command<Fn<void, I>>("TFormFilter%enable");
    Fn<void, I, float, float, float, float> tformImage =
        command<Fn<void, I, float, float, float, float>>("TFormImage%image#a#b#c#d");
    Fn<void, I, float, float> scaleImage = command<Fn<void, I, float, float>>("ScaleImage%image#xscale#yscale");
    Fn<void, I, float, float> resizeImage = command<Fn<void, I, float, float>>("ResizeImage%image#width#height");
    Fn<void, I, float> rotateImage = command<Fn<void, I, float>>("RotateImage%image#angle");
    Fn<void, I, I, I, I> drawImage = command<Fn<void, I, I, I, I>>("DrawImage%image%x%y%frame=0");
    Fn<void, I, I, I, I> drawBlock = command<Fn<void, I, I, I, I>>("DrawBlock%image%x%y%frame=0");
    Fn<void, I, I, I, I> tileImage = command<Fn<void, I, I, I, I>>("TileImage%image%x=0%y=0%frame=0");
    Fn<void, I, I, I, I> tileBlock = command<Fn<void, I, I, I, I>>("TileBlock%image%x=0%y=0%frame=0");
    Fn<void, I, I, I, I, I, I, I, I> drawImageRect = command<Fn<void, I, I, I, I, I, I, I, I>>(
        "DrawImageRect%image%x%y%rect_x%rect_y%rect_width%rect_height%frame=0");
    Fn<void, I, I, I, I, I, I, I, I> drawBlockRect = command<Fn<void, I, I, I, I, I, I, I, I>>(
        "DrawBlockRect%image%x%y%rect_x%rect_y%rect_width%rect_height%frame=0");
    Fn<void, I, I, I, I> grabImage = command<Fn<void, I, I, I, I>>("GrabImage%image%x%y%frame=0");
    Fn<I, I, I, I, I, I, I> imagesOverlap =
        command<Fn<I, I, I, I, I, I, I>>("%ImagesOverlap%image1%x1%y1%image2%x2%y2");
    Fn<I, I, I, I, I, I, I, I, I> imagesCollide = command<Fn<I, I, I, I, I, I, I, I, I>>(
        "%ImagesCollide%image1%x1%y1%frame1%image2%x2%y2%frame2");
    Fn<I, I, I, I, I, I, I, I> imageRectOverlap =
        command<Fn<I, I, I, I, I, I, I, I>>("%ImageRectOverlap%image%x%y%rect_x%rect_y%rect_width%rect_height");
    Fn<I, I, I, I, I, I, I, I, I> imageRectCollide = command<Fn<I, I, I, I, I, I, I, I, I>>(
        "%ImageRectCollide%image%x%y%frame%rect_x%rect_y%rect_width%rect_height");
};

class ImageCommandTest : public testing::Test {
protected:
    void SetUp() override {
        previousDriver_ = grDriver2D();
        setGrDriver2D(&driver);
        screen = createBuffer(createPixmap(64, 48, QXFormatXRGB8888, 4));
        setCurrentBuffer(screen);
        fillScreen(0xFF102030);
    }
    void TearDown() override {
        setCurrentBuffer(nullptr);
        release(screen);
        release(driver.root);  // the images the commands made
        driver.root = nullptr;
        driver.setContext(nullptr);
        setGrDriver2D(previousDriver_);
        q2dImageSettings = {};
        replacePictureLoader(nullptr);
    }

    void fillScreen(QXColour colour) { screen->graphics->fill(0, 0, 64, 48, colour); }
    static QXColour pixel(QXGraphics& graphics, int x, int y) {
        QXColour colour = 0;
        graphics.read(x, y, 1, 1, &colour, 4);
        return colour;
    }
    QXColour screenAt(int x, int y) { return pixel(*screen->graphics, x, y); }
    static QXGraphics& frameOf(int image, int frame = 0) { return imageOf(image).frameGraphics(frame); }
    static void paint(int image, int frame, int x, int y, QXColour colour) {
        frameOf(image, frame).write(x, y, 1, 1, &colour, 4);
    }
    // An image whose pixel (x, y) is 0xFF000000 + (y << 8) + x + 1: every pixel tells where it came from.
    int numberedImage(int width, int height, int frames = 1) {
        const int image = cmd.createImage(width, height, frames, 0);
        for (int f = 0; f < frames; ++f)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) paint(image, f, x, y, 0xFF000000 + (f << 16) + (y << 8) + x + 1);
        return image;
    }
    std::optional<std::string> errorOf(const std::function<void()>& body) { return runtimeErrorOf(body); }

    PixmapDriver driver;
    ImageCommands cmd;
    Q2DBuffer* screen = nullptr;

private:
    QXGrDriver2D* previousDriver_ = nullptr;
};

TEST_F(ImageCommandTest, CreationChecksSizesIn64BitsAndStartsOpaqueBlack) {
    for (auto [w, h, f] : {std::tuple{0, 10, 1}, {10, 0, 1}, {10, 10, 0}, {-1, 10, 1}, {65536, 65536, 1},
                           {8192, 8192, 3}, {1, 1, 0x7FFFFFFF}})
        EXPECT_EQ(errorOf([&] { cmd.createImage(w, h, f, 0); }), "Illegal Parameter for CreateImage")
            << w << "x" << h << "x" << f;
    const int image = cmd.createImage(3, 2, 2, 0);
    EXPECT_EQ(cmd.imageWidth(image), 3);
    EXPECT_EQ(cmd.imageHeight(image), 2);
    for (int f = 0; f < 2; ++f)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(pixel(frameOf(image, f), x, y), 0xFF000000u);
    EXPECT_EQ(errorOf([&] { cmd.imageWidth(12345); }), "Invalid Image handle");
}

TEST_F(ImageCommandTest, HandlesMidHandleAndAutoMidHandle) {
    const int five = cmd.createImage(5, 5, 1, 0);
    EXPECT_EQ(cmd.imageXHandle(five), 0);
    cmd.midHandle(five);
    EXPECT_EQ(cmd.imageXHandle(five), 2);
    EXPECT_EQ(cmd.imageYHandle(five), 2);
    cmd.handleImage(five, -7, 9);
    EXPECT_EQ(cmd.imageXHandle(five), -7);
    EXPECT_EQ(cmd.imageYHandle(five), 9);
    cmd.autoMidHandle(1);
    const int wide = cmd.createImage(10, 6, 1, 0);
    EXPECT_EQ(cmd.imageXHandle(wide), 5);
    EXPECT_EQ(cmd.imageYHandle(wide), 3);
    cmd.autoMidHandle(0);
    EXPECT_EQ(cmd.imageXHandle(cmd.createImage(10, 6, 1, 0)), 0);
}

TEST_F(ImageCommandTest, EveryCommandRefusesAFrameOutsideTheImage) {
    const int image = cmd.createImage(8, 8, 2, 0);
    QXString* file = newString("never.bmp");
    const std::vector<std::function<void(int)>> uses = {
        [&](int f) { cmd.drawImage(image, 0, 0, f); },
        [&](int f) { cmd.drawBlock(image, 0, 0, f); },
        [&](int f) { cmd.tileImage(image, 0, 0, f); },
        [&](int f) { cmd.tileBlock(image, 0, 0, f); },
        [&](int f) { cmd.drawImageRect(image, 0, 0, 0, 0, 4, 4, f); },
        [&](int f) { cmd.drawBlockRect(image, 0, 0, 0, 0, 4, 4, f); },
        [&](int f) { cmd.grabImage(image, 0, 0, f); },
        [&](int f) { cmd.imageBuffer(image, f); },
        [&](int f) { cmd.saveImage(image, file, f); },
        [&](int f) { cmd.imagesCollide(image, 0, 0, f, image, 0, 0, 0); },
        [&](int f) { cmd.imagesCollide(image, 0, 0, 0, image, 100, 100, f); },
        [&](int f) { cmd.imageRectCollide(image, 0, 0, f, 0, 0, 1, 1); },
    };
    for (std::size_t i = 0; i < uses.size(); ++i)
        for (int frame : {-1, 2, 0x7FFFFFFF, int(0x80000000)})
            EXPECT_EQ(errorOf([&] { uses[i](frame); }), "Illegal image frame index") << "use " << i << " frame " << frame;
    release(file);
    std::remove("never.bmp");
}

TEST_F(ImageCommandTest, DrawingPlacesTheHandleAtThePointWithTheOrigin) {
    const int image = numberedImage(4, 3);
    cmd.handleImage(image, 1, 2);
    screen->originX = 10;
    screen->originY = 20;
    cmd.drawBlock(image, 5, 5, 0);  // top-left at (14, 23)
    EXPECT_EQ(screenAt(14, 23), 0xFF000001u);
    EXPECT_EQ(screenAt(17, 25), 0xFF000204u);
    EXPECT_EQ(screenAt(13, 23), 0xFF102030u);
    EXPECT_EQ(screenAt(18, 23), 0xFF102030u);
    // Masked: the mask colour (black by default, any alpha) is left out.
    paint(image, 0, 1, 1, 0x00000000);
    cmd.maskImage(image, 0, 0, 0);
    fillScreen(0xFF102030);
    cmd.drawImage(image, 5, 5, 0);
    EXPECT_EQ(screenAt(15, 24), 0xFF102030u);
    EXPECT_EQ(screenAt(14, 24), 0xFF000101u);
    EXPECT_EQ(driver.blitsOutsideSource, 0);
}

TEST_F(ImageCommandTest, PartsAreCutToTheFrameAndMoveTheDrawingPointAlong) {
    const int image = numberedImage(10, 10);
    // rect_x = -5: the visible part starts 5 pixels right of the point.
    cmd.drawBlockRect(image, 20, 10, -5, 0, 8, 2, 0);
    EXPECT_EQ(screenAt(24, 10), 0xFF102030u);
    EXPECT_EQ(screenAt(25, 10), 0xFF000001u);
    EXPECT_EQ(screenAt(27, 11), 0xFF000103u);
    EXPECT_EQ(screenAt(28, 10), 0xFF102030u);
    // Far outside the frame, hugely sized, or empty: nothing drawn, never a read outside.
    const int before = driver.blits;
    cmd.drawBlockRect(image, 0, 0, 10, 0, 5, 5, 0);
    cmd.drawBlockRect(image, 0, 0, 0, 0, 0, 5, 0);
    cmd.drawBlockRect(image, 0, 0, 0, 0, -3, 5, 0);
    EXPECT_EQ(driver.blits, before);
    cmd.drawBlockRect(image, -0x7FFFFFFF, 0x7FFFFFFF, -0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0);
    cmd.drawImageRect(image, 60, 40, 5, 5, 0x7FFFFFFF, 0x7FFFFFFF, 0);
    cmd.drawBlock(image, 0x7FFFFFFF, 0x7FFFFFFF, 0);
    cmd.drawBlock(image, int(0x80000000), 5, 0);
    screen->originX = 0x7FFFFFFF;
    cmd.drawBlock(image, 0x7FFFFFFF, 0, 0);
    EXPECT_EQ(driver.blitsOutsideSource, 0);
}

TEST_F(ImageCommandTest, TilesStartAtTheFlooredPositionAndEmptyViewportsDrawNothing) {
    const int image = numberedImage(32, 32);
    // Anchored at -63: the first tile is at -31, so column 0 shows the tile's column 31.
    cmd.tileBlock(image, -63, 0, 0);
    EXPECT_EQ(screenAt(0, 0), 0xFF000020u);
    EXPECT_EQ(screenAt(1, 0), 0xFF000001u);
    EXPECT_EQ(screenAt(33, 47), 0xFF000F01u);  // tiles at -31, 1, 33
    // Handle and origin move the anchor.
    cmd.handleImage(image, 3, 0);
    screen->originY = -1;
    cmd.tileBlock(image, 0, 0, 0);
    EXPECT_EQ(screenAt(0, 0), 0xFF000104u);
    // A viewport of no area: no tile, no error.
    driver.setViewport(10, 10, 10, 30);
    const int before = driver.blits;
    EXPECT_EQ(errorOf([&] { cmd.tileImage(image, 0, 0, 0); }), std::nullopt);
    EXPECT_EQ(errorOf([&] { cmd.tileBlock(image, 0, 0, 0); }), std::nullopt);
    EXPECT_EQ(driver.blits, before);
    // In a small viewport only that area is covered.
    driver.setViewport(5, 6, 9, 8);
    fillScreen(0xFF102030);
    cmd.handleImage(image, 0, 0);
    screen->originY = 0;
    cmd.tileBlock(image, 0, 0, 0);
    EXPECT_EQ(screenAt(5, 6), 0xFF000606u);
    EXPECT_EQ(screenAt(4, 6), 0xFF102030u);
    EXPECT_EQ(screenAt(9, 7), 0xFF102030u);
    EXPECT_EQ(driver.blitsOutsideSource, 0);
}

TEST_F(ImageCommandTest, GrabCopiesTheClippedAreaAndLeavesTheRestOfTheFrame) {
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const QXColour c = 0xFF000000 | (y << 8) | x;
            screen->graphics->write(x, y, 1, 1, &c, 4);
        }
    const int image = numberedImage(8, 8);
    cmd.handleImage(image, 2, 2);
    cmd.grabImage(image, 0, 1, 0);  // area at (-2, -1): columns 0,1 and row 0 of the frame stay
    EXPECT_EQ(pixel(frameOf(image), 0, 0), 0xFF000001u);
    EXPECT_EQ(pixel(frameOf(image), 1, 5), 0xFF000502u);
    EXPECT_EQ(pixel(frameOf(image), 3, 0), 0xFF000004u);
    EXPECT_EQ(pixel(frameOf(image), 2, 1), 0xFF000000u);
    EXPECT_EQ(pixel(frameOf(image), 7, 7), 0xFF000605u);
    // Outside the viewport nothing is taken.
    driver.setViewport(0, 0, 4, 4);
    cmd.grabImage(image, 40, 30, 0);
    EXPECT_EQ(pixel(frameOf(image), 7, 7), 0xFF000605u);
}

TEST_F(ImageCommandTest, DrawingAnImageIntoItsOwnFrameAndFreeingTheCurrentBuffersImage) {
    const int image = numberedImage(6, 1);
    EXPECT_EQ(setCurrentBuffer(&imageOf(image).frame(0)), screen);
    EXPECT_EQ(handleOf(q2dCurrent.buffer), cmd.imageBuffer(image, 0));
    cmd.drawBlock(image, 2, 0, 0);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(pixel(frameOf(image), x, 0), 0xFF000001u + (x < 2 ? x : x - 2)) << x;
    cmd.tileImage(image, 1, 0, 0);
    cmd.grabImage(image, 1, 0, 0);
    cmd.freeImage(image);
    EXPECT_EQ(q2dCurrent.buffer, nullptr);
    EXPECT_EQ(errorOf([&] { cmd.drawBlock(numberedImage(2, 2), 0, 0, 0); }), "No graphics buffer is set");
    setCurrentBuffer(screen);
}

TEST_F(ImageCommandTest, CollisionThroughTheCommandsUsesTheKeyOfTheFramesFormat) {
    driver.storeFormat = QXFormatRGB565;
    const int a = cmd.createImage(40, 10, 1, 0);
    const int b = cmd.createImage(5, 5, 2, 0);
    // 0x000007 cannot be told from black in 16 bits: the new images are all mask colour.
    cmd.maskImage(a, 0, 0, 7);
    cmd.maskImage(b, 0, 0, 7);
    EXPECT_EQ(cmd.imagesCollide(a, 0, 0, 0, b, 0, 0, 0), 0);
    EXPECT_EQ(cmd.imagesOverlap(a, 0, 0, b, 0, 0), 1);
    paint(b, 1, 4, 4, 0xFFFFFFFF);
    // The mask of frame 0 of a exists now and is kept until ImageBuffer.
    paint(a, 0, 33, 7, 0xFF808080);
    EXPECT_EQ(cmd.imagesCollide(a, 0, 0, 0, b, 29, 3, 1), 0);
    cmd.imageBuffer(a, 0);
    EXPECT_EQ(cmd.imagesCollide(a, 0, 0, 0, b, 29, 3, 1), 1);
    EXPECT_EQ(cmd.imagesCollide(b, 29, 3, 1, a, 0, 0, 0), 1);
    EXPECT_EQ(cmd.imagesCollide(a, 0, 0, 0, b, 30, 3, 1), 0);
    // Handles move the boxes.
    cmd.handleImage(b, 4, 4);
    EXPECT_EQ(cmd.imagesCollide(a, 0, 0, 0, b, 33, 7, 1), 1);
    EXPECT_EQ(cmd.imageRectCollide(a, 10, 10, 0, 43, 17, 1, 1), 1);
    EXPECT_EQ(cmd.imageRectCollide(a, 10, 10, 0, 42, 17, 1, 1), 0);
    EXPECT_EQ(cmd.imageRectOverlap(a, 10, 10, 50, 10, 5, 5), 0);
    EXPECT_EQ(cmd.imageRectOverlap(a, 10, 10, 49, 19, 5, 5), 1);
    // Far apart: answered from the boxes.
    EXPECT_EQ(cmd.imagesCollide(a, 0x7FFFFFFF, 0, 0, b, int(0x80000000), 0, 1), 0);
}

TEST_F(ImageCommandTest, TransformsKeepTheOldHandleForEveryFrameAndLeaveTheImageOnFailure) {
    const int image = numberedImage(10, 10, 2);
    cmd.handleImage(image, 5, 5);
    cmd.tformFilter(256);  // only the low byte counts: off
    cmd.scaleImage(image, 2, 2);
    EXPECT_EQ(cmd.imageWidth(image), 20);
    EXPECT_EQ(cmd.imageXHandle(image), 10);
    EXPECT_EQ(cmd.imageYHandle(image), 10);
    for (int f = 0; f < 2; ++f) {
        EXPECT_EQ(frameOf(image, f).width, 20);
        EXPECT_EQ(pixel(frameOf(image, f), 19, 3), 0xFF000000u + (f << 16) + (1 << 8) + 10);
    }
    const Q2DBuffer* frameBefore = &imageOf(image).frame(1);
    const float bad[][4] = {{0, 0, 0, 0}, {1, 2, 2, 4}, {1e30f, 0, 0, 1e30f}, {1e-40f, 0, 0, 1e-40f}};
    for (const auto& m : bad) {
        const auto error = errorOf([&] { cmd.tformImage(image, m[0], m[1], m[2], m[3]); });
        ASSERT_TRUE(error.has_value());
        EXPECT_TRUE(*error == "Illegal image transform" || *error == "Transformed image too large") << *error;
    }
    EXPECT_EQ(errorOf([&] { cmd.scaleImage(image, 5000, 5000); }), "Transformed image too large");
    EXPECT_EQ(errorOf([&] { cmd.resizeImage(image, 0, 5); }), "Illegal image transform");
    EXPECT_EQ(&imageOf(image).frame(1), frameBefore);
    EXPECT_EQ(cmd.imageWidth(image), 20);
    EXPECT_EQ(cmd.imageXHandle(image), 10);
    // About the handle (10, 10) a quarter of the width spans -2.5 to 2.5: six columns.
    cmd.resizeImage(image, 5, 40);
    EXPECT_EQ(cmd.imageWidth(image), 6);
    EXPECT_EQ(cmd.imageHeight(image), 40);
    // A quarter turn of a 10×10 image: the single-precision cosine leaves an extra column.
    const int square = numberedImage(10, 10);
    cmd.rotateImage(square, 90);
    EXPECT_EQ(cmd.imageWidth(square), 11);
    EXPECT_EQ(cmd.imageHeight(square), 10);
    EXPECT_EQ(cmd.imageXHandle(square), 1);
    EXPECT_EQ(cmd.imageYHandle(square), 10);
    // The same under the program's x87 precision.
    ProgramFpuState programPrecision;
    const int again = numberedImage(10, 10);
    cmd.rotateImage(again, 90);
    EXPECT_EQ(cmd.imageWidth(again), 11);
}

TEST_F(ImageCommandTest, CopyImageCopiesPixelsHandleAndMaskButNoCollisionMask) {
    const int image = numberedImage(7, 3, 2);
    cmd.handleImage(image, 1, 2);
    cmd.maskImage(image, 0, 0, 2);
    const int copy = cmd.copyImage(image);
    EXPECT_NE(copy, image);
    EXPECT_EQ(cmd.imageXHandle(copy), 1);
    EXPECT_EQ(cmd.imageYHandle(copy), 2);
    EXPECT_EQ(imageOf(copy).maskColour, 2u);
    EXPECT_EQ(frameOf(copy, 1).maskColour, 2u);
    EXPECT_EQ(pixel(frameOf(copy, 1), 6, 2), 0xFF010207u);
    // Pixel (1, 0) of frame 0 shows the mask colour: it does not collide there.
    EXPECT_EQ(cmd.imageRectCollide(copy, 1, 2, 0, 1, 0, 1, 1), 0);
    EXPECT_EQ(cmd.imageRectCollide(copy, 1, 2, 0, 0, 0, 1, 1), 1);
    EXPECT_EQ(cmd.imageRectCollide(copy, 1, 2, 1, 1, 0, 1, 1), 1);
}

QXPixmap* stripPicture(const char* file) {
    if (std::string(file) != "strip") return nullptr;
    QXPixmap* picture = createPixmap(64, 32, QXFormatRGB888, 4);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const QXColour c = 0xFF000000 | (y << 8) | x;
            picture->write(x, y, 1, 1, &c, 4);
        }
    return picture;
}

TEST_F(ImageCommandTest, LoadingCutsCellsAndRefusesWhatDoesNotFit) {
    QXString* strip = newString("strip");
    QXString* missing = newString("missing");
    EXPECT_EQ(cmd.loadImage(strip, 1), 0) << "no decoder is connected yet";
    replacePictureLoader(&stripPicture);
    EXPECT_EQ(cmd.loadImage(missing, 1), 0);
    const int whole = cmd.loadImage(strip, 1);
    ASSERT_NE(whole, 0);
    EXPECT_EQ(cmd.imageWidth(whole), 64);
    EXPECT_EQ(pixel(frameOf(whole), 63, 31), 0xFF001F3Fu);
    const int right = cmd.loadAnimImage(strip, 32, 32, 1, 1, 1);
    ASSERT_NE(right, 0);
    EXPECT_EQ(pixel(frameOf(right), 0, 0), 0xFF000020u);
    const int both = cmd.loadAnimImage(strip, 16, 16, 3, 3, 1);
    ASSERT_NE(both, 0);
    EXPECT_EQ(pixel(frameOf(both, 0), 0, 0), 0xFF000030u);
    EXPECT_EQ(pixel(frameOf(both, 1), 0, 0), 0xFF001000u);
    EXPECT_EQ(pixel(frameOf(both, 2), 0, 0), 0xFF001010u);
    EXPECT_EQ(cmd.loadAnimImage(strip, 32, 32, 1, 2, 1), 0);
    EXPECT_EQ(cmd.loadAnimImage(strip, 32, 32, -1, 1, 1), 0);
    EXPECT_EQ(cmd.loadAnimImage(strip, 65, 32, 0, 1, 1), 0);
    EXPECT_EQ(cmd.loadAnimImage(strip, 32, 33, 0, 1, 1), 0);
    EXPECT_EQ(cmd.loadAnimImage(missing, 0, 32, 0, 1, 1), 0);
    EXPECT_EQ(errorOf([&] { cmd.loadAnimImage(strip, 0, 32, 0, 1, 1); }), "Illegal Parameter for CreateImage");
    EXPECT_EQ(errorOf([&] { cmd.loadAnimImage(strip, 32, 32, 0, 0, 1); }), "Illegal Parameter for CreateImage");
    release(strip);
    release(missing);
}

TEST_F(ImageCommandTest, SaveImageWritesA24BitBmpOfTheFrame) {
    const int image = numberedImage(3, 2, 2);
    QXString* path = newString("image_save_test.bmp");
    ASSERT_EQ(cmd.saveImage(image, path, 1), 1);
    std::ifstream in("image_save_test.bmp", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    in.close();
    ASSERT_EQ(bytes.size(), 78u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[18], 3);
    EXPECT_EQ(bytes[22], 2);
    // Bottom row first: pixel (0, 1) of frame 1 is 0x010101, blue first.
    EXPECT_EQ(bytes[54], 0x01);
    EXPECT_EQ(bytes[55], 0x01);
    EXPECT_EQ(bytes[56], 0x01);
    EXPECT_EQ(bytes[63], 0);  // padding
    EXPECT_EQ(bytes[66], 0x01);  // top row: (0, 0) is 0x010001
    EXPECT_EQ(bytes[67], 0x00);
    EXPECT_EQ(bytes[68], 0x01);
    std::remove("image_save_test.bmp");
    release(path);
    QXString* nowhere = newString("no/such/folder/x.bmp");
    EXPECT_EQ(cmd.saveImage(image, nowhere, 0), 0);
    release(nowhere);
}

}  // namespace
