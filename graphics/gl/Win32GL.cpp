#include "graphics/gl/Win32GL.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#include "runtime/QXError.h"

#ifndef GL_BGR_EXT
#define GL_BGR_EXT 0x80E0
#endif
#ifndef GL_BGRA_EXT
#define GL_BGRA_EXT 0x80E1
#endif

namespace {
const char kWindowClass[] = "QueltGLWindow";

bool registerWindowClass() {
    WNDCLASSA windowClass{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), kWindowClass, &windowClass)) return true;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassA(&windowClass) != 0;
}

HWND createHiddenWindow(int width, int height) {
    if (!registerWindowClass()) return nullptr;
    return CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, std::max(width, 1), std::max(height, 1), nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Sets a double-buffered RGBA pixel format on the window's DC; a message
// naming the step that failed, or null.
const char* setPixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR description{};
    description.nSize = sizeof description;
    description.nVersion = 1;
    description.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    description.iPixelType = PFD_TYPE_RGBA;
    description.cColorBits = 24;
    description.cAlphaBits = 8;
    description.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &description);
    if (!format) return "ChoosePixelFormat failed";
    if (!SetPixelFormat(dc, format, &description)) return "SetPixelFormat failed";
    return nullptr;
}

// Reverses the order of the rows (GL counts them from the bottom).
void flipRows(std::uint8_t* pixels, int pitch, int height) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(pitch));
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::uint8_t* a = pixels + std::ptrdiff_t(top) * pitch;
        std::uint8_t* b = pixels + std::ptrdiff_t(bottom) * pitch;
        std::memcpy(row.data(), a, row.size());
        std::memcpy(a, b, row.size());
        std::memcpy(b, row.data(), row.size());
    }
}
}  // namespace

// ---------------------------------------------------------------- module

Win32GL::Win32GL() { registerModule("Win32GL", "Graphics", "OpenGL"); }

QX_MODULE_INSTANCE(Win32GL, 20);

bool Win32GL::startup() {
    window_ = createHiddenWindow(1, 1);
    if (!window_) return false;
    dc_ = GetDC(window_);
    if (!dc_ || setPixelFormat(dc_) || !(rootContext_ = wglCreateContext(dc_))) {
        shutdown();
        return false;
    }
    wglMakeCurrent(dc_, rootContext_);
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    maxTextureSize_ = size;
    ++generation_;
    return true;
}

void Win32GL::shutdown() {
    if (rootContext_) {
        if (wglGetCurrentContext() == rootContext_) wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(rootContext_);
    }
    if (dc_) ReleaseDC(window_, dc_);
    if (window_) DestroyWindow(window_);
    rootContext_ = nullptr, dc_ = nullptr, window_ = nullptr;
}

void Win32GL::makeRootCurrent() {
    if (rootContext_ && wglGetCurrentContext() != rootContext_) wglMakeCurrent(dc_, rootContext_);
}

// ---------------------------------------------------------------- frame buffer

Win32GLGraphics::Win32GLGraphics(HWND glWindow, HDC glDc, HGLRC glContext, int w, int h, bool owns)
    : QXGraphics(w, h), window(glWindow), dc(glDc), context(glContext), ownsWindow(owns),
      generation(theWin32GL.generation()) {}

Win32GLGraphics::~Win32GLGraphics() {
    release(lockDib);
    if (wglGetCurrentContext() == context) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(window, dc);
    if (ownsWindow) DestroyWindow(window);
}

Win32GLGraphics* createGLWindowGraphics(HWND window, int width, int height, bool ownsWindow) {
    HDC dc = GetDC(window);
    const char* failure = dc ? setPixelFormat(dc) : "ChoosePixelFormat failed";
    HGLRC context = failure ? nullptr : wglCreateContext(dc);
    if (!failure && !context) failure = "wglCreateContext failed";
    if (failure) {
        if (dc) ReleaseDC(window, dc);
        if (ownsWindow) DestroyWindow(window);
        runtimeError("%s", failure);
    }
    if (theWin32GL.rootContext()) wglShareLists(theWin32GL.rootContext(), context);
    return new Win32GLGraphics(window, dc, context, width, height, ownsWindow);
}

Win32GLGraphics* createHiddenGLGraphics(int width, int height) {
    HWND window = createHiddenWindow(width, height);
    if (!window) runtimeError("wglCreateContext failed");
    return createGLWindowGraphics(window, width, height, true);
}

void Win32GLGraphics::makeCurrent() {
    if (wglGetCurrentContext() != context) wglMakeCurrent(dc, context);
}

void Win32GLGraphics::addPoint(int x, int y, QXColour colour) {
    if (!rects_.empty()) flushRects();
    // As many as the buffer has pixels: a batch that size is stored at the
    // cost of one read-back, and its memory stays near the read-back's.
    pointColour_ = colour;
    points_.push_back(x);
    points_.push_back(y);
    if (points_.size() / 2 >= std::max<std::size_t>(16384, std::size_t(width) * std::size_t(height))) flushPoints();
}

void Win32GLGraphics::addRect(const Q2DRect& a) {
    if (!points_.empty()) flushPoints();
    const GLint corners[] = {a.left, a.top, a.right, a.top, a.right, a.bottom, a.left, a.bottom};
    rects_.insert(rects_.end(), std::begin(corners), std::end(corners));
    if (rects_.size() >= kRectBatch * 8) flushRects();
}

void Win32GLGraphics::flushRects() {
    if (rects_.empty()) return;
    makeCurrent();
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_INT, 0, rects_.data());
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(rects_.size() / 2));
    glPopClientAttrib();
    rects_.clear();
}

void Win32GLGraphics::flushPoints() {
    flushRects();
    if (points_.empty()) return;
    const std::int64_t count = std::int64_t(points_.size() / 2);
    // The rasteriser takes longer for a point than a whole-buffer read-back
    // and write-back takes for 64 pixels: past that, the lock stores them.
    if (lockCount == 0 && count * kPixelsPerPoint >= std::int64_t(width) * height) {
        lock();
        unlock();
        return;
    }
    std::vector<GLfloat> centres(points_.size());
    for (std::size_t i = 0; i < points_.size(); ++i) centres[i] = static_cast<GLfloat>(points_[i]) + 0.5f;
    points_.clear();
    makeCurrent();
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, centres.data());
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(count));
    glPopClientAttrib();
}

void Win32GLGraphics::storePoints(const QXPixelLock& pixels) {
    if (pixels.pixels && isConvertibleFormat(pixels.format)) {
        const std::uint32_t pixel = toPixel(pixels.format, pointColour_);
        const int bytes = bytesPerPixel(pixels.format);
        for (std::size_t i = 0; i < points_.size(); i += 2) {
            const int x = points_[i], y = points_[i + 1];
            if (x < 0 || y < 0 || x >= width || y >= height) continue;
            storePixel(pixels.format, pixels.pixels + std::ptrdiff_t(y) * pixels.pitch + std::ptrdiff_t(x) * bytes,
                       pixel);
        }
    }
    points_.clear();
}

QXPixelLock Win32GLGraphics::lock() {
    modified = true;
    if (lockCount++ == 0) {
        flushRects();  // drawn before the read, as they would have been at once
        lockDib = createDIB(width, height, 24);
        makeCurrent();
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, width, height, GL_BGR_EXT, GL_UNSIGNED_BYTE, lockDib->pixels);
        flipRows(lockDib->pixels, lockDib->pitch, height);
        // The points waiting to be drawn, as if they had been before the read.
        storePoints({lockDib->pixels, lockDib->pitch, lockDib->format});
    }
    return {lockDib->pixels, lockDib->pitch, lockDib->format};
}

void Win32GLGraphics::unlock() {
    if (lockCount <= 0 || --lockCount > 0) return;
    makeCurrent();
    // Points plotted while locked lie under the stored pixels, which cover
    // the whole buffer: they never show. Nor do rectangles.
    points_.clear();
    rects_.clear();
    flipRows(lockDib->pixels, lockDib->pitch, height);
    // Raw pixels: nothing of the drawing state may touch them on the way.
    glPushAttrib(GL_ENABLE_BIT | GL_PIXEL_MODE_BIT);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glPixelZoom(1.0f, 1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glDrawBuffer(GL_BACK);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2f(0.0f, 0.0f);
    glDrawPixels(width, height, GL_BGR_EXT, GL_UNSIGNED_BYTE, lockDib->pixels);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    release(lockDib);
    lockDib = nullptr;
}

void Win32GLGraphics::fill(int x, int y, int w, int h, QXColour colour) {
    modified = true;
    QXGraphics::fill(x, y, w, h, colour);
}

void Win32GLGraphics::read(int x, int y, int w, int h, void* destination, int destinationPitch) {
    // GetColor and the like: one pixel need not cost the whole buffer's read-back and write-back.
    constexpr std::int64_t kDirectReadPixels = 4096;
    const bool inside = x >= 0 && y >= 0 && w > 0 && h > 0 && w <= width - x && h <= height - y;
    if (lockCount > 0 || !destination || !inside || std::int64_t(w) * h > kDirectReadPixels)
        return QXGraphics::read(x, y, w, h, destination, destinationPitch);
    flushPoints();
    if (lockCount > 0) return QXGraphics::read(x, y, w, h, destination, destinationPitch);
    std::uint32_t texels[kDirectReadPixels];
    makeCurrent();
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(x, height - y - h, w, h, GL_BGRA_EXT, GL_UNSIGNED_BYTE, texels);
    glPopClientAttrib();
    // GL counts rows from the bottom; the colours are those of the lock's 24-bit pixels.
    auto* to = static_cast<std::uint8_t*>(destination);
    for (int row = 0; row < h; ++row, to += destinationPitch) {
        const std::uint32_t* from = texels + std::ptrdiff_t(h - 1 - row) * w;
        for (int column = 0; column < w; ++column) {
            const QXColour colour = (from[column] & 0xFFFFFFu) | 0xFF000000u;
            std::memcpy(to + std::ptrdiff_t(column) * 4, &colour, 4);
        }
    }
}

void Win32GLGraphics::write(int x, int y, int w, int h, const void* source, int sourcePitch) {
    modified = true;
    QXGraphics::write(x, y, w, h, source, sourcePitch);
}

void Win32GLGraphics::copy(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) {
    modified = true;
    QXGraphics::copy(x, y, w, h, source, sourceX, sourceY, flags);
}

// ---------------------------------------------------------------- image store

Win32GLPixmap::Win32GLPixmap(int w, int h) : QXPixmap(w, h, QXFormatXRGB8888, 4) {}

Win32GLPixmap::~Win32GLPixmap() {
    if (texture && textureGeneration == theWin32GL.generation() && theWin32GL.rootContext()) {
        HGLRC previous = wglGetCurrentContext();
        HDC previousDc = wglGetCurrentDC();
        theWin32GL.makeRootCurrent();
        glDeleteTextures(1, &texture);
        if (previous) wglMakeCurrent(previousDc, previous);
    }
}

QXGraphics* Win32GLPixmap::createCompatible(int newWidth, int newHeight) {
    return new Win32GLPixmap(newWidth, newHeight);
}

QXPixelLock Win32GLPixmap::lock() {
    modified = true;
    return QXPixmap::lock();
}

void Win32GLPixmap::setMask(QXColour colour) {
    modified = true;
    QXPixmap::setMask(colour);
}
