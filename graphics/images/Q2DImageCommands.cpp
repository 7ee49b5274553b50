// The image commands: creating, loading, copying and transforming images,
// drawing, tiling and grabbing frames, and the overlap and collision tests.

#include <cstdint>

#include "core/QXString.h"
#include "graphics/QXBmpWriter.h"
#include "graphics/QXPixmap.h"
#include "graphics/images/Q2DImage.h"
#include "graphics/images/QXImageLayout.h"
#include "graphics/images/QXImageLimits.h"
#include "runtime/QXError.h"
#include "runtime/QXRegistry.h"

namespace {

using i64 = std::int64_t;

// ---------------------------------------------------------------- creation

void checkImageSize(int width, int height, int frames) {
    // Sizes beyond the limit are refused like sizes below 1: their product
    // would not even fit 32 bits.
    if (!imageSizeAllowed(width, height, frames)) runtimeError("Illegal Parameter for CreateImage");
}

Q2DImage* newImage(int width, int height, int frames, int flags) {
    checkImageSize(width, height, frames);
    QXGrDriver2D& driver = activeGrDriver2D();
    auto* image = new Q2DImage(width, height, frames, flags);
    // Released with the driver's other resources when it stops.
    driver.addModuleResource(image);
    return image;
}

int QXCALL CreateImage(int width, int height, int frames, int flags) {
    return handleOf(newImage(width, height, frames, flags));
}

// Holds a loaded picture until the command is done with it.
class LoadedPicture {
public:
    explicit LoadedPicture(QXString* file) : pixmap_(loadImagePicture(stringCText(file))) {}
    ~LoadedPicture() { release(pixmap_); }
    LoadedPicture(const LoadedPicture&) = delete;
    LoadedPicture& operator=(const LoadedPicture&) = delete;
    QXPixmap* get() const { return pixmap_ && pixmap_->hasPixels() ? pixmap_ : nullptr; }

private:
    QXPixmap* pixmap_;
};

int QXCALL LoadImage(QXString* file, int flags) {
    LoadedPicture picture(file);
    QXPixmap* pixmap = picture.get();
    if (!pixmap || !imageSizeAllowed(pixmap->width, pixmap->height, 1)) return 0;
    Q2DImage* image = newImage(pixmap->width, pixmap->height, 1, flags);
    image->frameGraphics(0).copy(0, 0, pixmap->width, pixmap->height, pixmap, 0, 0, 0);
    return handleOf(image);
}

int QXCALL LoadAnimImage(QXString* file, int width, int height, int first, int count, int flags) {
    LoadedPicture picture(file);
    QXPixmap* pixmap = picture.get();
    if (!pixmap) return 0;
    checkImageSize(width, height, count);
    // Cells are checked before any image exists: a negative first cell or a
    // cell larger than the picture gives 0 like too few cells.
    const auto cells = animationCells(pixmap->width, pixmap->height, width, height, first, count);
    if (!cells) return 0;
    Q2DImage* image = newImage(width, height, count, flags);
    for (int i = 0; i < count; ++i) {
        const QXCell& cell = (*cells)[std::size_t(i)];
        image->frameGraphics(i).copy(0, 0, width, height, pixmap, cell.x, cell.y, 0);
    }
    return handleOf(image);
}

int QXCALL CopyImage(int handle) {
    Q2DImage& source = imageOf(handle);
    Q2DImage* copy = newImage(source.width, source.height, source.frameCount, source.flags);
    copy->handleX = source.handleX;
    copy->handleY = source.handleY;
    for (int i = 0; i < source.frameCount; ++i)
        copy->frameGraphics(i).copy(0, 0, source.width, source.height, &source.frameGraphics(i), 0, 0, 0);
    copy->setMaskColour(source.maskColour);
    return handleOf(copy);
}

void QXCALL FreeImage(int image) {
    if (image) release(&imageOf(image));
}

// ---------------------------------------------------------------- properties

void QXCALL MaskImage(int image, int red, int green, int blue) {
    const auto r = static_cast<std::uint32_t>(red), g = static_cast<std::uint32_t>(green);
    imageOf(image).setMaskColour((((r * 256) | g) & 0xFFFFFF) * 256 | static_cast<std::uint32_t>(blue));
}

void QXCALL HandleImage(int image, int handleX, int handleY) {
    Q2DImage& target = imageOf(image);
    target.handleX = handleX;
    target.handleY = handleY;
}

void QXCALL MidHandle(int image) {
    Q2DImage& target = imageOf(image);
    target.handleX = target.width / 2;
    target.handleY = target.height / 2;
}

void QXCALL AutoMidHandle(int enable) { q2dImageSettings.autoMidHandle = enable != 0; }

int QXCALL ImageWidth(int image) { return imageOf(image).width; }
int QXCALL ImageHeight(int image) { return imageOf(image).height; }
int QXCALL ImageXHandle(int image) { return imageOf(image).handleX; }
int QXCALL ImageYHandle(int image) { return imageOf(image).handleY; }

int QXCALL ImageBuffer(int image, int frame) {
    Q2DImage& target = imageOf(image);
    Q2DBuffer& buffer = target.frame(frame);
    // The program may draw into it now.
    target.discardMask(frame);
    return handleOf(&buffer);
}

int QXCALL SaveImage(int image, QXString* file, int frame) {
    return saveBmp24(imageOf(image).frameGraphics(frame), stringCText(file)) ? 1 : 0;
}

// ---------------------------------------------------------------- transforms

void QXCALL TFormFilter(int enable) { q2dImageSettings.transformFilter = (enable & 0xFF) != 0; }

void transformImage(int handle, const QXTransformMatrix& matrix) {
    Q2DImage& image = imageOf(handle);
    QXTransformPlan plan{};
    switch (planTransform(matrix, image.width, image.height, image.handleX, image.handleY, plan)) {
    case QXTransformResult::IllegalMatrix: runtimeError("Illegal image transform");
    case QXTransformResult::TooLarge: runtimeError("Transformed image too large");
    case QXTransformResult::Ok: break;
    }
    if (!imageSizeAllowed(plan.width, plan.height, image.frameCount)) runtimeError("Transformed image too large");
    image.transform(plan, q2dImageSettings.transformFilter);
}

void QXCALL TFormImage(int image, float a, float b, float c, float d) { transformImage(image, {a, b, c, d}); }

void QXCALL ScaleImage(int image, float xScale, float yScale) { transformImage(image, {xScale, 0, 0, yScale}); }

void QXCALL ResizeImage(int image, float width, float height) {
    Q2DImage& target = imageOf(image);
    transformImage(image, {width / static_cast<float>(target.width), 0, 0, height / static_cast<float>(target.height)});
}

void QXCALL RotateImage(int image, float angle) { transformImage(image, rotationMatrix(angle)); }

// ---------------------------------------------------------------- drawing

QXRect viewportOf(QXGrDriver2D& driver) {
    const Q2DRect v = driver.getViewport();
    return {v.left, v.top, v.right, v.bottom};
}

// Blits `source` (inside the frame) of the store with its top-left at (x, y).
// The parts outside the viewport are cut here, in 64 bits, so the driver only
// sees areas inside both stores.
void drawPart(QXGrDriver2D& driver, QXGraphics& store, i64 x, i64 y, QXRect source, bool masked) {
    QXRect destination{x, y, x + source.width(), y + source.height()};
    if (!clipWithSource(viewportOf(driver), destination, source)) return;
    driver.blit(static_cast<int>(destination.left), static_cast<int>(destination.top),
                static_cast<int>(destination.width()), static_cast<int>(destination.height()), &store,
                static_cast<int>(source.left), static_cast<int>(source.top), masked ? QXCopyMasked : 0);
}

// Where the frame's top-left goes for a drawing point in the current buffer.
struct Anchor {
    i64 x, y;
};
Anchor anchorOf(const Q2DImage& image, int x, int y) {
    const Q2DBuffer& target = currentBuffer();
    return {i64(x) + target.originX - image.handleX, i64(y) + target.originY - image.handleY};
}

void drawImage(int handle, int x, int y, int frame, bool masked) {
    Q2DImage& image = imageOf(handle);
    QXGraphics& store = image.frameGraphics(frame);
    const Anchor at = anchorOf(image, x, y);
    drawPart(activeGrDriver2D(), store, at.x, at.y, {0, 0, image.width, image.height}, masked);
}

void QXCALL DrawImage(int image, int x, int y, int frame) { drawImage(image, x, y, frame, true); }
void QXCALL DrawBlock(int image, int x, int y, int frame) { drawImage(image, x, y, frame, false); }

void tileImage(int handle, int x, int y, int frame, bool masked) {
    Q2DImage& image = imageOf(handle);
    QXGraphics& store = image.frameGraphics(frame);
    const Anchor at = anchorOf(image, x, y);
    QXGrDriver2D& driver = activeGrDriver2D();
    const QXRect viewport = viewportOf(driver);
    // An empty viewport has no tiles, so it draws nothing.
    forEachTile(viewport, at.x, at.y, image.width, image.height, [&](QXRect tile) {
        QXRect source{0, 0, image.width, image.height};
        if (!clipWithSource(viewport, tile, source)) runtimeError(masked ? "TileImage clip error" : "TileBlock clip error");
        driver.blit(static_cast<int>(tile.left), static_cast<int>(tile.top), static_cast<int>(tile.width()),
                    static_cast<int>(tile.height()), &store, static_cast<int>(source.left),
                    static_cast<int>(source.top), masked ? QXCopyMasked : 0);
    });
}

void QXCALL TileImage(int image, int x, int y, int frame) { tileImage(image, x, y, frame, true); }
void QXCALL TileBlock(int image, int x, int y, int frame) { tileImage(image, x, y, frame, false); }

void drawImageRect(int handle, int x, int y, int rectX, int rectY, int rectWidth, int rectHeight, int frame,
                   bool masked) {
    Q2DImage& image = imageOf(handle);
    QXGraphics& store = image.frameGraphics(frame);
    const Anchor at = anchorOf(image, x, y);
    QXRect source{rectX, rectY, i64(rectX) + rectWidth, i64(rectY) + rectHeight};
    QXRect destination{at.x, at.y, at.x + rectWidth, at.y + rectHeight};
    if (!clipWithSource({0, 0, image.width, image.height}, source, destination)) return;
    drawPart(activeGrDriver2D(), store, destination.left, destination.top, source, masked);
}

void QXCALL DrawImageRect(int image, int x, int y, int rectX, int rectY, int rectWidth, int rectHeight, int frame) {
    drawImageRect(image, x, y, rectX, rectY, rectWidth, rectHeight, frame, true);
}
void QXCALL DrawBlockRect(int image, int x, int y, int rectX, int rectY, int rectWidth, int rectHeight, int frame) {
    drawImageRect(image, x, y, rectX, rectY, rectWidth, rectHeight, frame, false);
}

void QXCALL GrabImage(int handle, int x, int y, int frame) {
    Q2DImage& image = imageOf(handle);
    QXGraphics& store = image.frameGraphics(frame);
    const Anchor at = anchorOf(image, x, y);
    QXGraphics& screen = *currentBuffer().graphics;
    QXRect area{at.x, at.y, at.x + image.width, at.y + image.height};
    QXRect into{0, 0, image.width, image.height};
    // The viewport lies inside the buffer's store; cutting to both keeps the
    // read inside the store whatever the viewport holds.
    if (!clipWithSource(viewportOf(activeGrDriver2D()), area, into)) return;
    if (!clipWithSource({0, 0, screen.width, screen.height}, area, into)) return;
    store.copy(static_cast<int>(into.left), static_cast<int>(into.top), static_cast<int>(into.width()),
               static_cast<int>(into.height()), &screen, static_cast<int>(area.left), static_cast<int>(area.top), 0);
}

// ---------------------------------------------------------------- overlap and collision

int QXCALL RectsOverlap(int x1, int y1, int width1, int height1, int x2, int y2, int width2, int height2) {
    return rectsOverlap(x1, y1, width1, height1, x2, y2, width2, height2) ? 1 : 0;
}

int QXCALL ImagesOverlap(int image1, int x1, int y1, int image2, int x2, int y2) {
    const Q2DImage& first = imageOf(image1);
    const Q2DImage& second = imageOf(image2);
    return rectsOverlap(i64(x1) - first.handleX, i64(y1) - first.handleY, first.width, first.height,
                        i64(x2) - second.handleX, i64(y2) - second.handleY, second.width, second.height)
               ? 1
               : 0;
}

int QXCALL ImagesCollide(int image1, int x1, int y1, int frame1, int image2, int x2, int y2, int frame2) {
    Q2DImage& first = imageOf(image1);
    Q2DImage& second = imageOf(image2);
    first.frame(frame1);
    second.frame(frame2);
    const i64 left1 = i64(x1) - first.handleX, top1 = i64(y1) - first.handleY;
    const i64 left2 = i64(x2) - second.handleX, top2 = i64(y2) - second.handleY;
    // Apart: no mask is built.
    if (!rectsOverlap(left1, top1, first.width, first.height, left2, top2, second.width, second.height)) return 0;
    return masksCollide(first.collisionMask(frame1), left1, top1, second.collisionMask(frame2), left2, top2) ? 1 : 0;
}

int QXCALL ImageRectOverlap(int image, int x, int y, int rectX, int rectY, int rectWidth, int rectHeight) {
    const Q2DImage& target = imageOf(image);
    return rectsOverlap(i64(x) - target.handleX, i64(y) - target.handleY, target.width, target.height, rectX, rectY,
                        rectWidth, rectHeight)
               ? 1
               : 0;
}

int QXCALL ImageRectCollide(int image, int x, int y, int frame, int rectX, int rectY, int rectWidth,
                            int rectHeight) {
    Q2DImage& target = imageOf(image);
    target.frame(frame);
    const i64 left = i64(x) - target.handleX, top = i64(y) - target.handleY;
    // Apart: no mask is built.
    if (!rectsOverlap(left, top, target.width, target.height, rectX, rectY, rectWidth, rectHeight)) return 0;
    return maskMeetsRect(target.collisionMask(frame), left, top, rectX, rectY, rectWidth, rectHeight) ? 1 : 0;
}

const QXSymbol commands[] = {
    QX_COMMAND("%CreateImage%width%height%frames=1%flags=2", CreateImage),
    QX_COMMAND("%LoadImage$file%flags=1", LoadImage),
    QX_COMMAND("%LoadAnimImage$file%width%height%first%count%flags=1", LoadAnimImage),
    QX_COMMAND("%CopyImage%image", CopyImage),
    QX_COMMAND("FreeImage%image", FreeImage),
    QX_COMMAND("MaskImage%image%red%green%blue", MaskImage),
    QX_COMMAND("HandleImage%image%handle_x%handle_y", HandleImage),
    QX_COMMAND("MidHandle%image", MidHandle),
    QX_COMMAND("AutoMidHandle%enable", AutoMidHandle),
    QX_COMMAND("%ImageWidth%image", ImageWidth),
    QX_COMMAND("%ImageHeight%image", ImageHeight),
    QX_COMMAND("%ImageXHandle%image", ImageXHandle),
    QX_COMMAND("%ImageYHandle%image", ImageYHandle),
    QX_COMMAND("%ImageBuffer%image%frame=0", ImageBuffer),
    QX_COMMAND("%SaveImage%image$file%frame=0", SaveImage),
    QX_COMMAND("TFormFilter%enable", TFormFilter),
    QX_COMMAND("TFormImage%image#a#b#c#d", TFormImage),
    QX_COMMAND("ScaleImage%image#xscale#yscale", ScaleImage),
    QX_COMMAND("ResizeImage%image#width#height", ResizeImage),
    QX_COMMAND("RotateImage%image#angle", RotateImage),
    QX_COMMAND("DrawImage%image%x%y%frame=0", DrawImage),
    QX_COMMAND("DrawBlock%image%x%y%frame=0", DrawBlock),
    QX_COMMAND("TileImage%image%x=0%y=0%frame=0", TileImage),
    QX_COMMAND("TileBlock%image%x=0%y=0%frame=0", TileBlock),
    QX_COMMAND("DrawImageRect%image%x%y%rect_x%rect_y%rect_width%rect_height%frame=0", DrawImageRect),
    QX_COMMAND("DrawBlockRect%image%x%y%rect_x%rect_y%rect_width%rect_height%frame=0", DrawBlockRect),
    QX_COMMAND("GrabImage%image%x%y%frame=0", GrabImage),
    QX_COMMAND("%RectsOverlap%x1%y1%width1%height1%x2%y2%width2%height2", RectsOverlap),
    QX_COMMAND("%ImagesOverlap%image1%x1%y1%image2%x2%y2", ImagesOverlap),
    QX_COMMAND("%ImagesCollide%image1%x1%y1%frame1%image2%x2%y2%frame2", ImagesCollide),
    QX_COMMAND("%ImageRectOverlap%image%x%y%rect_x%rect_y%rect_width%rect_height", ImageRectOverlap),
    QX_COMMAND("%ImageRectCollide%image%x%y%frame%rect_x%rect_y%rect_width%rect_height", ImageRectCollide),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Graphics, commands);

}  // namespace
