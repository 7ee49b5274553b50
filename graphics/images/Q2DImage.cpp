#include "graphics/images/Q2DImage.h"

#include <cstdint>
#include <typeinfo>

#include "graphics/QXPixmap.h"
#include "graphics/picture/QXPicture.h"
#include "runtime/QXError.h"

Q2DImageSettings q2dImageSettings;

namespace {

QXPixelView viewOf(QXGraphics& graphics, const QXPixelLock& lock) {
    return {lock.pixels, lock.pitch, lock.format, graphics.width, graphics.height};
}

// A new frame store of the active driver, opaque black all over.
QXGraphics* newFrameStore(int width, int height, int flags) {
    QXGraphics* graphics = activeGrDriver2D().createGraphics(width, height, flags);
    graphics->fill(0, 0, graphics->width, graphics->height, 0xFF000000);
    return graphics;
}

}  // namespace

Q2DImage::Q2DImage(int imageWidth, int imageHeight, int count, int creationFlags)
    : width(imageWidth), height(imageHeight), frameCount(count), flags(creationFlags) {
    if (q2dImageSettings.autoMidHandle) handleX = width / 2, handleY = height / 2;
    frames.reserve(std::size_t(count));
    masks.resize(std::size_t(count));
    for (int i = 0; i < count; ++i) frames.push_back(createBuffer(newFrameStore(width, height, flags)));
}

Q2DImage::~Q2DImage() {
    // A frame may be the current buffer: its destructor clears that.
    for (Q2DBuffer* buffer : frames) release(buffer);
}

Q2DBuffer& Q2DImage::frame(int index) {
    if (index < 0 || index >= frameCount) runtimeError("Illegal image frame index");
    return *frames[std::size_t(index)];
}

const QXCollisionMask& Q2DImage::collisionMask(int index) {
    QXGraphics& graphics = frameGraphics(index);
    std::unique_ptr<QXCollisionMask>& mask = masks[std::size_t(index)];
    if (!mask) [[unlikely]] {
        QXGraphicsLock lock(graphics);
        mask = std::make_unique<QXCollisionMask>(viewOf(graphics, *lock), maskColour);
    }
    return *mask;
}

void Q2DImage::discardMasks() {
    for (auto& mask : masks) mask.reset();
}

void Q2DImage::setMaskColour(QXColour colour) {
    maskColour = colour;
    for (Q2DBuffer* buffer : frames) buffer->graphics->setMask(colour);
}

void Q2DImage::transform(const QXTransformPlan& plan, bool filter) {
    // Every frame first, so that a driver refusing a store leaves the image as it was.
    std::vector<Q2DBuffer*> transformed;
    transformed.reserve(frames.size());
    for (Q2DBuffer* old : frames) {
        QXGraphics* store = newFrameStore(plan.width, plan.height, flags);
        {
            QXGraphicsLock from(*old->graphics);
            QXGraphicsLock to(*store);
            renderTransform(plan, viewOf(*old->graphics, *from), viewOf(*store, *to), filter, maskColour);
        }
        store->setMask(maskColour);
        transformed.push_back(createBuffer(store));
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
        release(frames[i]);
        frames[i] = transformed[i];
    }
    width = plan.width;
    height = plan.height;
    handleX = plan.newHandleX();
    handleY = plan.newHandleY();
    discardMasks();
}

Q2DImage& imageOf(int handle) {
    // Collision tests run millions of times a second. Within one image the
    // class has one type_info object, so comparing addresses is an exact
    // match without the name comparisons a cast makes here; anything else
    // takes the full check.
    QXObject* object = liveObject(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(handle)));
    if (object && &typeid(*object) == &typeid(Q2DImage)) return *static_cast<Q2DImage*>(object);
    return *checkHandle<Q2DImage>(handle, "Image");
}

// ---------------------------------------------------------------- pictures

namespace {

Q2DPictureLoader pictureLoader = &loadPicture;

}  // namespace

QXPixmap* loadImagePicture(const char* file) { return pictureLoader(file); }

Q2DPictureLoader replacePictureLoader(Q2DPictureLoader loader) {
    Q2DPictureLoader previous = pictureLoader;
    pictureLoader = loader ? loader : &loadPicture;
    return previous;
}
