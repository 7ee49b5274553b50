#pragma once
// A pixel store in ordinary memory: pictures being loaded or saved, images of
// drivers without surfaces, stand-ins for surfaces that cannot be locked.

#include <cstdint>

#include "graphics/QXGraphics.h"

class QXPixmap : public QXGraphics {
public:
    // An owning store of height rows, each `alignment` × ceil(width × bytes
    // per pixel ÷ alignment) bytes; contents undefined. When the memory cannot
    // be had (or its size does not fit in 32 bits) the store has no pixels and
    // its operations do nothing. Negative sizes count as 0, an alignment below 1 as 1.
    QXPixmap(int width, int height, int format, int alignment);
    // A view of rows that someone else owns and keeps alive while the pixmap lives.
    QXPixmap(int width, int height, int format, void* memory, int rowPitch);
    ~QXPixmap() override;

    // Same format and alignment.
    QXGraphics* createCompatible(int newWidth, int newHeight) override;
    // Never fails; the address is null only for a store without memory.
    QXPixelLock lock() override;
    void unlock() override;

    bool hasPixels() const { return pixels != nullptr; }

    std::uint8_t* pixels = nullptr;
    int pitch = 0;
    int format;
    int alignment;
    bool ownsPixels;
};

// An owning pixmap (count 1); see the constructor.
QXPixmap* createPixmap(int width, int height, int format, int alignment);
