#include "graphics/sdl/SDLGrDriver2D.h"

#include <algorithm>
#include <new>

#include "events/linux/LinuxFont.h"
#include "graphics/QXPixmap.h"

SDLGrDriver2D::SDLGrDriver2D() { registerModule("SDLGrDriver2D", "GrDriver2D", nullptr); }

QX_MODULE_INSTANCE(SDLGrDriver2D, 26);

bool SDLGrDriver2D::startup() {
    if (!startModuleNamed("LinuxFontDriver")) return false;
    return Q2DSharedDriver2D::startup();
}

QXGraphics* SDLGrDriver2D::createGraphics(int width, int height, int) {
    return createPixmap(width, height, QXFormatXRGB8888, 4);
}

bool SDLGrDriver2D::ownsGraphics(QXGraphics* graphics) { return dynamic_cast<QXPixmap*>(graphics) != nullptr; }

bool SDLGrDriver2D::ownsFont(QXFont* font) { return dynamic_cast<LinuxFont*>(font) != nullptr; }

QXFont* SDLGrDriver2D::makeDefaultFont() {
    QXFontDriver* fonts = fontDriver();
    return fonts ? fonts->createFont("courier", 10, 0) : nullptr;
}

QXGrContext* SDLGrDriver2D::newContext(QXGraphics* graphics, QXFont* font) {
    return new Q2DSharedContext(graphics, font, *this);
}

void SDLGrDriver2D::text(int x, int y, const QXString* string) {
    QXGrContext& c = current();
    auto* font = dynamic_cast<LinuxFont*>(c.font);
    if (!font) return;
    const LinuxTextMask mask = font->render(string);
    Q2DRect area;
    if (mask.width <= 0 || !q2dClip(c.viewport, x, y, mask.width, mask.height, area)) return;
    // The viewport is stored as given: the store's bounds cut as well.
    area.left = std::max(area.left, 0), area.top = std::max(area.top, 0);
    area.right = std::min(area.right, c.graphics->width), area.bottom = std::min(area.bottom, c.graphics->height);
    if (area.width() <= 0 || area.height() <= 0) return;
    QXGraphicsLock lock(*c.graphics);
    if (!lock->pixels || !isConvertibleFormat(lock->format)) return;
    const int bytes = bytesPerPixel(lock->format);
    const int red = (c.colour >> 16) & 0xFF, green = (c.colour >> 8) & 0xFF, blue = c.colour & 0xFF;
    for (int row = area.top; row < area.bottom; ++row) {
        const std::uint8_t* coverage = mask.coverage.data() + std::size_t(row - y) * mask.width;
        std::uint8_t* pixel = lock->pixels + std::ptrdiff_t(row) * lock->pitch + std::ptrdiff_t(area.left) * bytes;
        for (int column = area.left; column < area.right; ++column, pixel += bytes) {
            const int a = coverage[column - x];
            if (a == 0) continue;
            QXColour out = c.colour;
            if (a < 255) {
                const QXColour under = readColour(lock->format, pixel);
                auto mix = [a](int from, int to) { return (from * (255 - a) + to * a + 127) / 255; };
                out = 0xFF000000u | QXColour(mix((under >> 16) & 0xFF, red)) << 16 |
                      QXColour(mix((under >> 8) & 0xFF, green)) << 8 | QXColour(mix(under & 0xFF, blue));
            }
            writeColour(lock->format, pixel, out);
        }
    }
}
