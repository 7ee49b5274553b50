// Saving a store as a BMP file: the one path behind SaveImage and SaveBuffer.

#include <cstdio>
#include <memory>

#include "graphics/QXBmpWriter.h"
#include "graphics/QXPixmap.h"
#include "runtime/QXHostPath.h"

bool saveBmp24(QXGraphics& graphics, const char* path) {
    // The program's path, in the host's form (backslashes and drive letters on Linux).
    std::FILE* file = std::fopen(hostPath(path).c_str(), "wb");
    if (!file) return false;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, &std::fclose);

    QXPixmap* pixmap = createPixmap(graphics.width, graphics.height, QXFormatRGB888, 4);
    std::vector<std::uint8_t> bytes;
    if (pixmap->hasPixels()) {
        pixmap->copy(0, 0, graphics.width, graphics.height, &graphics, 0, 0, 0);
        bytes = encodeBmp24(pixmap->pixels, pixmap->pitch, pixmap->width, pixmap->height);
    }
    release(pixmap);
    if (bytes.empty()) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}
