#include "graphics/QXScreen.h"

#include <algorithm>

#include "gui/QXGadget.h"

namespace {
QXScreenDriver* theScreenDriver = nullptr;
QXScreen* theCurrentQXScreen = nullptr;
}  // namespace

QXGammaTable::QXGammaTable() {
    for (int i = 0; i < 256; ++i) red[i] = green[i] = blue[i] = static_cast<std::uint16_t>(i * 257);
}

void QXGammaTable::set(int sourceRed, int sourceGreen, int sourceBlue, int r, int g, int b) {
    red[sourceRed & 255] = static_cast<std::uint16_t>(r * 257);
    green[sourceGreen & 255] = static_cast<std::uint16_t>(g * 257);
    blue[sourceBlue & 255] = static_cast<std::uint16_t>(b * 257);
}

int QXGammaTable::level(const std::uint16_t (&ramp)[256], int index) { return ramp[index & 255] / 257; }

void QXScreen::showPointer(bool) {}
void QXScreen::moveMouse(int, int) {}
int QXScreen::mouseX() { return 0; }
int QXScreen::mouseY() { return 0; }
void QXScreen::makeCurrent() {}
void QXScreen::setTitle(QXString*) {}
void QXScreen::setGamma(int sr, int sg, int sb, int r, int g, int b) { gamma.set(sr, sg, sb, r, g, b); }
void QXScreen::getGamma(int r, int g, int b, int& redLevel, int& greenLevel, int& blueLevel) {
    redLevel = QXGammaTable::level(gamma.red, r);
    greenLevel = QXGammaTable::level(gamma.green, g);
    blueLevel = QXGammaTable::level(gamma.blue, b);
}
void QXScreen::updateGamma(bool) {}
bool QXScreen::surfaceValid() { return true; }

void QXScreenDriver::waitVerticalBlank(int) {}
int QXScreenDriver::scanLine() { return 0; }
int QXScreenDriver::availableVideoMemory() { return 0; }
int QXScreenDriver::totalVideoMemory() { return 0; }

void setScreenDriver(QXScreenDriver* driver) { theScreenDriver = driver; }
QXScreenDriver* screenDriver() { return theScreenDriver; }

void makeScreenCurrent(QXScreen* screen) {
    theCurrentQXScreen = screen;
    // Top-level windows made from now on belong to this screen.
    setCurrentScreen(screen);
    if (screen) screen->makeCurrent();
}

QXScreen* currentQXScreen() { return theCurrentQXScreen; }

int depthOfFormat(int format) {
    switch (format) {
    case 1:
    case 2:
    case 5:
    case 6: return 16;
    case 3: return 24;
    case 4:
    case 7: return 32;
    default: return 0;
    }
}

int formatOfDepth(int depth) { return depth == 24 ? 3 : depth == 32 ? 4 : 1; }

int screenFlagsOf(int flags) {
    switch (flags) {
    case 0:
    case 1: return kScreenFlipping;
    case 2: return kScreenFlipping | kScreenWindowed;
    case 3: return kScreenFlipping | kScreenCopyFlip;
    default: return -1;
    }
}

bool modeMatches(const QXDisplayMode& mode, int width, int height, int depth, int format) {
    return (!width || mode.width == width) && (!height || mode.height == height) &&
           (!depth || depthOfFormat(mode.format) == depth) && (!format || mode.format == format);
}

namespace {
// Cuts one axis; 64-bit so that no position near the limits wraps.
bool clipAxis(std::int64_t& source, std::int64_t& destination, std::int64_t& length, std::int64_t sourceSize,
              std::int64_t destinationSize) {
    for (std::int64_t* start : {&source, &destination}) {
        if (*start < 0) {
            const std::int64_t cut = -*start;
            source += cut;
            destination += cut;
            length -= cut;
        }
    }
    length = std::min({length, sourceSize - source, destinationSize - destination});
    return length > 0;
}
}  // namespace

QXCopyArea clipCopyArea(int sx, int sy, int width, int height, int dx, int dy, int sourceWidth, int sourceHeight,
                        int destinationWidth, int destinationHeight) {
    std::int64_t x0 = sx, y0 = sy, x1 = dx, y1 = dy, w = width, h = height;
    if (!clipAxis(x0, x1, w, sourceWidth, destinationWidth) || !clipAxis(y0, y1, h, sourceHeight, destinationHeight))
        return {0, 0, 0, 0, 0, 0};
    return {int(x0), int(y0), int(x1), int(y1), int(w), int(h)};
}
