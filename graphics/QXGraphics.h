#pragma once
// The pixel store every drawing ends on: screens, driver surfaces, DIB
// sections and memory pixmaps. A store only has to provide lock and unlock;
// fill, read, write and copy then work through the portable code here, which
// converts between formats pixel by pixel (see QXPixelFormat.h).

#include <cstdint>

#include "graphics/QXPixelFormat.h"
#include "runtime/QXObject.h"

// What a lock hands out; the address is valid until the matching unlock.
struct QXPixelLock {
    std::uint8_t* pixels;  // top-left pixel; null when the store has no memory
    int pitch;             // bytes from one row to the next
    int format;            // pixel-format code
};

// copy flags
inline constexpr int QXCopyMasked = 1;

class QXGraphics : public QXResource {
public:
    QXGraphics(int width, int height);

    // Slots after QXObject's destructor, destroy and query; the order is part
    // of the drivers' contract.

    // A new memory store suited for copying to and from this one (count 1).
    // By default a 32-bit QXPixmap; defined in QXPixmap.cpp, so that the base
    // store does not depend on the memory store built on it.
    virtual QXGraphics* createCompatible(int newWidth, int newHeight);
    // The colour left out when this store is the source of a masked copy.
    virtual void setMask(QXColour colour);
    virtual void fill(int x, int y, int w, int h, QXColour colour);
    // Colour values, 4 bytes each, into a caller buffer rows `destinationPitch` bytes apart.
    virtual void read(int x, int y, int w, int h, void* destination, int destinationPitch);
    // Colour values, 4 bytes each, from a caller buffer rows `sourcePitch` bytes apart.
    virtual void write(int x, int y, int w, int h, const void* source, int sourcePitch);
    // The source area at (sourceX, sourceY) to (x, y), converting formats;
    // QXCopyMasked leaves out source pixels that show the source's mask colour.
    virtual void copy(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags);
    // Locks nest; only the outermost pair touches the underlying surface.
    virtual QXPixelLock lock() = 0;
    virtual void unlock() = 0;

    int width;
    int height;
    QXColour maskColour = 0;
};

// Holds a store locked for the lifetime of the object.
class QXGraphicsLock {
public:
    explicit QXGraphicsLock(QXGraphics& graphics) : graphics_(graphics), pixels_(graphics.lock()) {}
    ~QXGraphicsLock() { graphics_.unlock(); }
    QXGraphicsLock(const QXGraphicsLock&) = delete;
    QXGraphicsLock& operator=(const QXGraphicsLock&) = delete;

    const QXPixelLock& operator*() const { return pixels_; }
    const QXPixelLock* operator->() const { return &pixels_; }

private:
    QXGraphics& graphics_;
    QXPixelLock pixels_;
};
