// Screens and buffers: Graphics and the screen queries, buffer selection,
// loading and saving, locking and pixel access, rectangle copies, the
// pointer over a screen, and gamma.

#include "graphics/Q2DScreen.h"

#include <algorithm>
#include <cstdint>

#include "core/QXString.h"
#include "events/QXEventDriver.h"
#include "events/QueFilter.h"
#include "graphics/Q2DBuffer.h"
#include "graphics/QXBmpWriter.h"
#include "graphics/QXCanvas.h"
#include "graphics/QXPixmap.h"
#include "graphics/QXScreen.h"
#include "graphics/images/QXImageTransform.h"
#include "graphics/picture/QXPicture.h"
#include "io/QXBank.h"
#include "runtime/QXError.h"
#include "runtime/QXRegistry.h"

namespace {

Q2DBuffer* theGraphicsBuffer = nullptr;
QXScreen* theGraphicsScreen = nullptr;
Q2DBuffer* theDesktopBuffer = nullptr;

QXScreenDriver& driver() {
    QXScreenDriver* d = screenDriver();
    if (!d) runtimeError("No screen driver");
    return *d;
}

QXScreen& liveCurrentScreen() { return *checkHandle<QXScreen>(currentQXScreen(), "Screen"); }

Q2DBuffer& bufferArgument(int buffer) {
    return buffer ? *checkHandle<Q2DBuffer>(buffer, "Buffer") : currentBuffer();
}

Q2DBuffer& lockedBuffer(int buffer) {
    Q2DBuffer& b = bufferArgument(buffer);
    if (b.lockCount <= 0) runtimeError("Buffer is not locked");
    return b;
}

int offset(int value, int origin) {
    return static_cast<int>(static_cast<std::uint32_t>(value) + static_cast<std::uint32_t>(origin));
}

bool inside(const Q2DBuffer& b, int x, int y) {
    return x >= 0 && y >= 0 && x < b.graphics->width && y < b.graphics->height;
}

std::uint8_t* pixelAddress(const Q2DBuffer& b, int x, int y) {
    return b.lockedPixels->data + std::ptrdiff_t(y) * b.lockedPitch + std::ptrdiff_t(x) * bytesPerPixel(b.lockedFormat);
}

void lockBuffer(Q2DBuffer& b) {
    if (b.lockCount++ > 0) return;
    const QXPixelLock lock = b.graphics->lock();
    b.lockedPitch = lock.pitch;
    b.lockedFormat = lock.format;
    // The bank spans exactly the locked rows; a store without memory gives an empty bank.
    const std::int64_t size = lock.pixels ? std::int64_t(lock.pitch) * b.graphics->height : 0;
    b.lockedPixels->setData(lock.pixels, size > 0 && size <= INT32_MAX ? static_cast<int>(size) : 0);
}

void unlockBuffer(Q2DBuffer& b) {
    if (b.lockCount <= 0) return;  // more unlocks than locks change nothing
    if (--b.lockCount > 0) return;
    // Emptied first, so that a later peek is a range error, never a read of released memory.
    b.lockedPixels->setData(nullptr, 0);
    b.graphics->unlock();
}

// Holds a buffer locked (nesting) for one pixel access.
class BufferLock {
public:
    explicit BufferLock(Q2DBuffer& b) : b_(b) { lockBuffer(b_); }
    ~BufferLock() { unlockBuffer(b_); }
    BufferLock(const BufferLock&) = delete;
    BufferLock& operator=(const BufferLock&) = delete;

private:
    Q2DBuffer& b_;
};

QXColour readLocked(const Q2DBuffer& b, int x, int y) {
    if (!b.lockedPixels->data) return b.clearColour;
    return readColour(b.lockedFormat, pixelAddress(b, x, y));
}

void writeLocked(const Q2DBuffer& b, int x, int y, QXColour colour) {
    if (b.lockedPixels->data) writeColour(b.lockedFormat, pixelAddress(b, x, y), colour);
}

void clearBuffer(Q2DBuffer& b) {
    QXGrDriver2D& d = activeGrDriver2D();
    const Q2DRect r = d.getViewport();
    d.setColour(b.clearColour);
    d.rect(r.left, r.top, r.width(), r.height(), true);
    d.setColour(b.colour);
}

// ---------------------------------------------------------------- screens

void QXCALL EndGraphics() {
    if (!theGraphicsBuffer) return;
    const bool windowed = theGraphicsScreen && theGraphicsScreen->windowed;
    Q2DBuffer* buffer = theGraphicsBuffer;
    QXScreen* screen = theGraphicsScreen;
    theGraphicsBuffer = nullptr;
    theGraphicsScreen = nullptr;
    // Releasing the current buffer clears it (and the driver's context).
    release(buffer);
    makeScreenCurrent(screenDriver() ? screenDriver()->desktopScreen() : nullptr);
    release(screen);
    if (!windowed) appState().autoSuspend = false;
}

void QXCALL Graphics(int width, int height, int depth, int flags) {
    const int screenFlags = screenFlagsOf(flags);
    if (screenFlags < 0) runtimeError("Illegal Graphics flags");
    EndGraphics();
    QXScreen* screen = driver().openScreen(width, height, formatOfDepth(depth), screenFlags);
    theGraphicsScreen = screen;
    makeScreenCurrent(screen);
    QXGraphics* graphics = screen->graphics();
    retain(graphics);
    theGraphicsBuffer = createBuffer(graphics);
    setCurrentBuffer(theGraphicsBuffer);
    clearBuffer(*theGraphicsBuffer);
    screen->flip(false);
    clearBuffer(*theGraphicsBuffer);
    if (!screen->windowed) {
        screen->showPointer(false);
        screen->moveMouse(0, 0);
        appState().autoSuspend = true;
    }
}

int QXCALL CountGfxModes() { return static_cast<int>(driver().displayModes().size()); }

const QXDisplayMode& modeAt(int mode) {
    const auto& modes = driver().displayModes();
    if (mode < 1 || mode > static_cast<int>(modes.size())) runtimeError("Illegal graphics mode index");
    return modes[static_cast<std::size_t>(mode - 1)];
}

int QXCALL GfxModeWidth(int mode) { return modeAt(mode).width; }
int QXCALL GfxModeHeight(int mode) { return modeAt(mode).height; }
int QXCALL GfxModeFormat(int mode) { return modeAt(mode).format; }
int QXCALL GfxModeDepth(int mode) { return depthOfFormat(modeAt(mode).format); }

int QXCALL GfxModeExists(int width, int height, int depth, int format) {
    const auto& modes = driver().displayModes();
    return std::any_of(modes.begin(), modes.end(),
                       [&](const QXDisplayMode& m) { return modeMatches(m, width, height, depth, format); })
               ? 1
               : 0;
}

int QXCALL GraphicsWidth() { return liveCurrentScreen().graphics()->width; }
int QXCALL GraphicsHeight() { return liveCurrentScreen().graphics()->height; }

int QXCALL GraphicsFormat() {
    QXGraphicsLock lock(*liveCurrentScreen().graphics());
    return lock->format;
}

int QXCALL GraphicsDepth() { return depthOfFormat(GraphicsFormat()); }

// A frame's end, and often a wait for the display: output held back for
// batching (the net game's messages) leaves first.
void QXCALL Flip(int vwait) {
    runBeforeWaitHooks();
    if (QXScreen* screen = currentQXScreen()) screen->flip(vwait != 0);
}

void QXCALL VWait(int frames) {
    runBeforeWaitHooks();
    if (frames > 0) driver().waitVerticalBlank(frames);
}

int QXCALL ScanLine() { return driver().scanLine(); }
int QXCALL AvailVidMem() { return driver().availableVideoMemory(); }
int QXCALL TotalVidMem() { return driver().totalVideoMemory(); }

int QXCALL BackBuffer() { return handleOf(theGraphicsBuffer); }

int QXCALL DesktopBuffer() {
    Q2DBuffer* previous = theDesktopBuffer;
    theDesktopBuffer = nullptr;
    release(previous);
    QXScreen* desktop = driver().desktopScreen();
    if (!desktop || !desktop->graphics()) return 0;
    QXGraphics* graphics = desktop->graphics();
    retain(graphics);
    theDesktopBuffer = createBuffer(graphics);
    return handleOf(theDesktopBuffer);
}

// ---------------------------------------------------------------- files

int QXCALL LoadBuffer(int buffer, QXString* file) {
    Q2DBuffer& b = bufferArgument(buffer);
    QXPixmap* picture = loadPicture(stringCText(file));
    if (!picture) return 0;
    QXGraphics& target = *b.graphics;
    if (picture->width != target.width || picture->height != target.height) {
        // Scaled to the buffer with filtering, points outside reading as 0.
        const QXTransformMatrix scale{float(target.width) / float(picture->width), 0.0f, 0.0f,
                                      float(target.height) / float(picture->height)};
        QXTransformPlan plan;
        QXPixmap* scaled = nullptr;
        if (planTransform(scale, picture->width, picture->height, 0, 0, plan) == QXTransformResult::Ok) {
            scaled = createPixmap(plan.width, plan.height, QXFormatARGB8888, 4);
            if (scaled->hasPixels()) {
                const QXPixelView from{picture->pixels, picture->pitch, picture->format, picture->width,
                                       picture->height};
                const QXPixelView to{scaled->pixels, scaled->pitch, scaled->format, scaled->width, scaled->height};
                renderTransform(plan, from, to, true, 0);
            }
        }
        release(picture);
        if (!scaled || !scaled->hasPixels()) {
            release(scaled);
            return 0;
        }
        picture = scaled;
    }
    const int w = std::min(picture->width, target.width), h = std::min(picture->height, target.height);
    target.copy(0, 0, w, h, picture, 0, 0, 0);
    release(picture);
    return 1;
}

int QXCALL SaveBuffer(int buffer, QXString* file) {
    Q2DBuffer& b = bufferArgument(buffer);
    return saveBmp24(*b.graphics, stringCText(file)) ? 1 : 0;
}

// ---------------------------------------------------------------- locks and pixels

void QXCALL LockBuffer(int buffer) { lockBuffer(bufferArgument(buffer)); }
void QXCALL UnlockBuffer(int buffer) { unlockBuffer(bufferArgument(buffer)); }
int QXCALL LockedPitch(int buffer) { return lockedBuffer(buffer).lockedPitch; }
int QXCALL LockedFormat(int buffer) { return lockedBuffer(buffer).lockedFormat; }
int QXCALL LockedPixels(int buffer) { return handleOf(lockedBuffer(buffer).lockedPixels); }

int QXCALL ReadPixel(int x, int y, int buffer) {
    Q2DBuffer& b = bufferArgument(buffer);
    x = offset(x, b.originX);
    y = offset(y, b.originY);
    if (!inside(b, x, y)) return static_cast<int>(b.clearColour);
    BufferLock lock(b);
    return static_cast<int>(readLocked(b, x, y));
}

void QXCALL WritePixel(int x, int y, int colour, int buffer) {
    Q2DBuffer& b = bufferArgument(buffer);
    x = offset(x, b.originX);
    y = offset(y, b.originY);
    if (!inside(b, x, y)) return;
    BufferLock lock(b);
    writeLocked(b, x, y, static_cast<QXColour>(colour));
}

// The fast forms skip the origin and the locking, but never touch memory
// outside the locked pixels.
int QXCALL ReadPixelFast(int x, int y, int buffer) {
    Q2DBuffer& b = lockedBuffer(buffer);
    if (!inside(b, x, y)) return static_cast<int>(b.clearColour);
    return static_cast<int>(readLocked(b, x, y));
}

void QXCALL WritePixelFast(int x, int y, int colour, int buffer) {
    Q2DBuffer& b = lockedBuffer(buffer);
    if (inside(b, x, y)) writeLocked(b, x, y, static_cast<QXColour>(colour));
}

void QXCALL CopyPixel(int sx, int sy, int sourceBuffer, int dx, int dy, int destinationBuffer) {
    Q2DBuffer& source = bufferArgument(sourceBuffer);
    Q2DBuffer& destination = bufferArgument(destinationBuffer);
    sx = offset(sx, source.originX);
    sy = offset(sy, source.originY);
    dx = offset(dx, destination.originX);
    dy = offset(dy, destination.originY);
    if (!inside(source, sx, sy) || !inside(destination, dx, dy)) return;
    BufferLock sourceLock(source);
    BufferLock destinationLock(destination);
    writeLocked(destination, dx, dy, readLocked(source, sx, sy));
}

void QXCALL CopyPixelFast(int sx, int sy, int sourceBuffer, int dx, int dy, int destinationBuffer) {
    Q2DBuffer& source = lockedBuffer(sourceBuffer);
    Q2DBuffer& destination = lockedBuffer(destinationBuffer);
    if (!inside(source, sx, sy) || !inside(destination, dx, dy)) return;
    writeLocked(destination, dx, dy, readLocked(source, sx, sy));
}

void QXCALL CopyRect(int sx, int sy, int width, int height, int dx, int dy, int sourceBuffer,
                     int destinationBuffer) {
    Q2DBuffer& source = bufferArgument(sourceBuffer);
    Q2DBuffer& destination = bufferArgument(destinationBuffer);
    const QXCopyArea r = clipCopyArea(sx, sy, width, height, dx, dy, source.graphics->width,
                                      source.graphics->height, destination.graphics->width,
                                      destination.graphics->height);
    if (r.width > 0 && r.height > 0)
        destination.graphics->copy(r.destinationX, r.destinationY, r.width, r.height, source.graphics, r.sourceX,
                                   r.sourceY, 0);
}

// ---------------------------------------------------------------- canvases

QXCanvas& canvasOf(int canvas) { return *checkHandle<QXCanvas>(canvas, "Canvas Gadget"); }

int QXCALL CreateCanvas(int x, int y, int width, int height, int group, int style) {
    QXGroup* parent = checkHandle<QXGroup>(group, "Group Gadget");
    QXCanvasDriver* canvases = canvasDriver();
    if (!canvases) runtimeError("Canvas driver not running");
    QXCanvas* canvas = canvases->createCanvas(parent, style);
    canvas->setShape(x, y, width, height);
    canvas->setVisible(true);
    canvas->recordLayoutReference();
    prepareCanvas(*canvas);
    return handleOf(canvas);
}

int QXCALL CanvasBuffer(int canvas) { return handleOf(canvasOf(canvas).buffer()); }

void QXCALL FlipCanvas(int canvas, int vwait) {
    runBeforeWaitHooks();
    canvasOf(canvas).flip(vwait != 0);
}

// ---------------------------------------------------------------- pointer and gamma

// The pointer commands address a canvas, or else the current screen; both
// answer the same operations.
template <class Fn> auto withPointer(int canvas, Fn&& use, decltype(use(*currentQXScreen())) none) {
    if (canvas) return use(canvasOf(canvas));
    QXScreen* screen = currentQXScreen();
    return screen ? use(*screen) : none;
}

int QXCALL MouseX(int canvas) {
    pumpOnce();
    return withPointer(canvas, [](auto& target) { return target.mouseX(); }, 0);
}

int QXCALL MouseY(int canvas) {
    pumpOnce();
    return withPointer(canvas, [](auto& target) { return target.mouseY(); }, 0);
}

int QXCALL MouseXSpeed(int canvas) {
    pumpOnce();
    return withPointer(
        canvas,
        [](auto& target) {
            const int x = target.mouseX(), speed = x - target.lastX;
            target.lastX = x;
            return speed;
        },
        0);
}

int QXCALL MouseYSpeed(int canvas) {
    pumpOnce();
    return withPointer(
        canvas,
        [](auto& target) {
            const int y = target.mouseY(), speed = y - target.lastY;
            target.lastY = y;
            return speed;
        },
        0);
}

void QXCALL MoveMouse(int x, int y, int canvas) {
    withPointer(canvas, [&](auto& target) { return target.moveMouse(x, y), 0; }, 0);
}

void QXCALL ShowPointer(int canvas) {
    withPointer(canvas, [](auto& target) { return target.showPointer(true), 0; }, 0);
}

void QXCALL HidePointer(int canvas) {
    withPointer(canvas, [](auto& target) { return target.showPointer(false), 0; }, 0);
}

void QXCALL SetGamma(int sourceRed, int sourceGreen, int sourceBlue, int red, int green, int blue) {
    if (QXScreen* screen = currentQXScreen()) screen->setGamma(sourceRed, sourceGreen, sourceBlue, red, green, blue);
}

void QXCALL UpdateGamma(int calibrate) {
    if (QXScreen* screen = currentQXScreen()) screen->updateGamma(calibrate != 0);
}

// Without a screen the table is the identity.
int gammaLevel(int index, int channel) {
    QXScreen* screen = currentQXScreen();
    if (!screen) return index & 255;
    int levels[3];
    screen->getGamma(index, index, index, levels[0], levels[1], levels[2]);
    return levels[channel];
}

int QXCALL GammaRed(int red) { return gammaLevel(red, 0); }
int QXCALL GammaGreen(int green) { return gammaLevel(green, 1); }
int QXCALL GammaBlue(int blue) { return gammaLevel(blue, 2); }

const QXSymbol commands[] = {
    QX_COMMAND("Graphics%width%height%depth=0%flags=0", Graphics),
    QX_COMMAND("EndGraphics", EndGraphics),
    QX_COMMAND("%CountGfxModes", CountGfxModes),
    QX_COMMAND("%GfxModeWidth%mode", GfxModeWidth),
    QX_COMMAND("%GfxModeHeight%mode", GfxModeHeight),
    QX_COMMAND("%GfxModeFormat%mode", GfxModeFormat),
    QX_COMMAND("%GfxModeDepth%mode", GfxModeDepth),
    QX_COMMAND("%GfxModeExists%width%height%depth=0%format=0", GfxModeExists),
    QX_COMMAND("%GraphicsWidth", GraphicsWidth),
    QX_COMMAND("%GraphicsHeight", GraphicsHeight),
    QX_COMMAND("%GraphicsFormat", GraphicsFormat),
    QX_COMMAND("%GraphicsDepth", GraphicsDepth),
    QX_COMMAND("Flip%vwait=1", Flip),
    QX_COMMAND("VWait%frames=1", VWait),
    QX_COMMAND("%ScanLine", ScanLine),
    QX_COMMAND("%AvailVidMem", AvailVidMem),
    QX_COMMAND("%TotalVidMem", TotalVidMem),
    QX_COMMAND("%BackBuffer", BackBuffer),
    QX_COMMAND("%FrontBuffer", BackBuffer),
    QX_COMMAND("%DesktopBuffer", DesktopBuffer),
    QX_COMMAND("%LoadBuffer%buffer$file", LoadBuffer),
    QX_COMMAND("%SaveBuffer%buffer$file", SaveBuffer),
    QX_COMMAND("LockBuffer%buffer=0", LockBuffer),
    QX_COMMAND("UnlockBuffer%buffer=0", UnlockBuffer),
    QX_COMMAND("%LockedPitch%buffer=0", LockedPitch),
    QX_COMMAND("%LockedFormat%buffer=0", LockedFormat),
    QX_COMMAND("%LockedPixels%buffer=0", LockedPixels),
    QX_COMMAND("%ReadPixel%x%y%buffer=0", ReadPixel),
    QX_COMMAND("%ReadPixelFast%x%y%buffer=0", ReadPixelFast),
    QX_COMMAND("WritePixel%x%y%color%buffer=0", WritePixel),
    QX_COMMAND("WritePixelFast%x%y%color%buffer=0", WritePixelFast),
    QX_COMMAND("CopyPixel%src_x%src_y%src_buffer%dst_x%dst_y%dst_buffer=0", CopyPixel),
    QX_COMMAND("CopyPixelFast%src_x%src_y%src_buffer%dst_x%dst_y%dst_buffer=0", CopyPixelFast),
    QX_COMMAND("CopyRect%source_x%source_y%width%height%dest_x%dest_y%source_buffer=0%dest_buffer=0", CopyRect),
    QX_COMMAND("%CreateCanvas%x%y%width%height%group%style=0", CreateCanvas),
    QX_COMMAND("%CanvasBuffer%canvas", CanvasBuffer),
    QX_COMMAND("FlipCanvas%canvas%vwait=0", FlipCanvas),
    QX_COMMAND("%MouseX%canvas=0", MouseX),
    QX_COMMAND("%MouseY%canvas=0", MouseY),
    QX_COMMAND("%MouseXSpeed%canvas=0", MouseXSpeed),
    QX_COMMAND("%MouseYSpeed%canvas=0", MouseYSpeed),
    QX_COMMAND("MoveMouse%x%y%canvas=0", MoveMouse),
    QX_COMMAND("ShowPointer%canvas=0", ShowPointer),
    QX_COMMAND("HidePointer%canvas=0", HidePointer),
    QX_COMMAND("SetGamma%src_red%src_green%src_blue%dest_red%dest_green%dest_blue", SetGamma),
    QX_COMMAND("UpdateGamma%calibrate=0", UpdateGamma),
    QX_COMMAND("%GammaRed%red", GammaRed),
    QX_COMMAND("%GammaGreen%green", GammaGreen),
    QX_COMMAND("%GammaBlue%blue", GammaBlue),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Graphics, commands);

}  // namespace

void startScreens() { makeScreenCurrent(screenDriver() ? screenDriver()->desktopScreen() : nullptr); }

void endScreens() {
    EndGraphics();
    Q2DBuffer* desktop = theDesktopBuffer;
    theDesktopBuffer = nullptr;
    release(desktop);
    makeScreenCurrent(nullptr);
}
