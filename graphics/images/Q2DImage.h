#pragma once
// Images: strips of equally sized frames, each a buffer over an off-screen
// store of the active 2D driver, with a handle (the point drawn at the given
// coordinates), a mask colour and, per frame, a collision mask built on the
// first collision test.

#include <memory>
#include <vector>

#include "graphics/Q2DBuffer.h"
#include "graphics/images/QXCollisionMask.h"
#include "graphics/images/QXImageTransform.h"

class QXPixmap;

class Q2DImage : public QXResource {
public:
    // The frames' stores come from the active 2D driver, filled opaque black.
    // The caller has checked the sizes (imageSizeAllowed).
    Q2DImage(int width, int height, int frames, int flags);
    ~Q2DImage() override;

    // The frame, or the runtime error "Illegal image frame index".
    Q2DBuffer& frame(int index);
    QXGraphics& frameGraphics(int index) { return *frame(index).graphics; }
    // The frame's collision mask, built when absent.
    const QXCollisionMask& collisionMask(int index);
    void discardMask(int index) { masks[std::size_t(index)].reset(); }
    void discardMasks();
    // Sets the mask colour of the image and of every frame's store.
    void setMaskColour(QXColour colour);
    // Replaces every frame by its transform (planned for the image's size and
    // handle), then takes the new size and handle; masks are discarded.
    void transform(const QXTransformPlan& plan, bool filter);

    // Field order follows the image record.
    std::vector<Q2DBuffer*> frames;                         // owned
    std::vector<std::unique_ptr<QXCollisionMask>> masks;    // absent until needed
    int width;
    int height;
    int handleX = 0;
    int handleY = 0;
    int frameCount;
    int flags;
    QXColour maskColour = 0;
};

// The image at `handle`, or the runtime error "Invalid Image handle".
Q2DImage& imageOf(int handle);

// Process-wide settings of the image commands.
struct Q2DImageSettings {
    bool autoMidHandle = false;
    bool transformFilter = true;
};
extern Q2DImageSettings q2dImageSettings;

// The picture loader: the file as a pixmap (count 1), or null when it cannot
// be loaded. Tests may put another loader in place; returns the previous one.
using Q2DPictureLoader = QXPixmap* (*)(const char* file);
QXPixmap* loadImagePicture(const char* file);
Q2DPictureLoader replacePictureLoader(Q2DPictureLoader loader);
