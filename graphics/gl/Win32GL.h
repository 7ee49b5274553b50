#pragma once
// OpenGL through WGL: the module of the OpenGL family, which keeps a hidden
// window with the root rendering context (every other context shares its
// display lists and textures), and the frame-buffer store of a window.

#include <windows.h>
#include <GL/gl.h>

#include <vector>

#include "graphics/Q2DRaster.h"
#include "graphics/QXGraphics.h"
#include "graphics/QXPixmap.h"
#include "graphics/win32/Win32DIBGraphics.h"
#include "runtime/QXModule.h"

class Win32GL : public QXModule {
public:
    Win32GL();

    // Makes the hidden window and the root context; false when OpenGL is
    // not to be had.
    bool startup() override;
    void shutdown() override;

    HGLRC rootContext() const { return rootContext_; }
    int generation() const { return generation_; }
    // GL_MAX_TEXTURE_SIZE of the root context.
    int maxTextureSize() const { return maxTextureSize_; }
    // Makes the root context current (to create or delete shared objects).
    void makeRootCurrent();

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC rootContext_ = nullptr;
    int maxTextureSize_ = 0;
    int generation_ = 0;
};

extern Win32GL theWin32GL;

// A window's OpenGL frame buffer (the back buffer). Locking reads the whole
// buffer into a 24-bit DIB with top-down rows; the outermost unlock writes it
// back.
class Win32GLGraphics : public QXGraphics {
public:
    ~Win32GLGraphics() override;

    QXPixelLock lock() override;
    void unlock() override;
    // Every change marks the store modified (for textures made of it).
    void fill(int x, int y, int w, int h, QXColour colour) override;
    void write(int x, int y, int w, int h, const void* source, int sourcePitch) override;
    void copy(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) override;
    // A small area outside a lock is read straight from the back buffer,
    // after the waiting drawing; anything else through the lock.
    void read(int x, int y, int w, int h, void* destination, int destinationPitch) override;

    // Makes this buffer's context current.
    void makeCurrent();

    // Points plotted in the context's colour, kept to be drawn together: the
    // 2D driver flushes them before it draws anything else or changes the
    // colour, the viewport or the context, the screens before a swap, and
    // the outermost lock stores them into the pixels it reads, so everything
    // lands in the order it was drawn. A flush draws a few as GL points and
    // stores many through a lock.
    void addPoint(int x, int y, QXColour colour);
    // Solid rectangles in the GL colour, already clipped, kept the same way
    // (points and rectangles waiting never mix: each kind flushes the other).
    // One array draw takes them all; the outermost lock draws them before it
    // reads, and those added under a lock are dropped with its points.
    void addRect(const Q2DRect& area);
    // Draws whatever waits.
    void flushPoints();

    HWND window;
    HDC dc;
    HGLRC context;
    bool ownsWindow;
    bool modified = false;
    int lockCount = 0;
    Win32DIBGraphics* lockDib = nullptr;
    int generation;

private:
    friend Win32GLGraphics* createGLWindowGraphics(HWND window, int width, int height, bool ownsWindow);
    Win32GLGraphics(HWND window, HDC dc, HGLRC context, int width, int height, bool ownsWindow);

    // Into the pixels of the outermost lock, in place of drawing them.
    void storePoints(const QXPixelLock& pixels);

    void flushRects();

    // Pixels, x then y, all in one colour.
    std::vector<int> points_;
    // Corners of the rectangles waiting, as GL_QUADS vertices.
    std::vector<GLint> rects_;
    static constexpr std::size_t kRectBatch = 4096;
    QXColour pointColour_ = 0;
    static constexpr int kPixelsPerPoint = 64;
};

// The frame buffer of `window` (its client area is width x height), with a
// context of its own that shares the root's objects; count 1. With
// `ownsWindow` the window goes with the store. Stops with "ChoosePixelFormat
// failed", "SetPixelFormat failed" or "wglCreateContext failed".
Win32GLGraphics* createGLWindowGraphics(HWND window, int width, int height, bool ownsWindow);
// A hidden window of width x height and its frame buffer.
Win32GLGraphics* createHiddenGLGraphics(int width, int height);

// What the OpenGL family uses for image frames: a 32-bit memory store drawn
// by the portable rules and uploaded as a texture when it is blitted onto a
// frame buffer (again only after it changed: every lock counts as a change).
class Win32GLPixmap : public QXPixmap {
public:
    Win32GLPixmap(int width, int height);
    ~Win32GLPixmap() override;

    QXGraphics* createCompatible(int newWidth, int newHeight) override;
    QXPixelLock lock() override;
    void setMask(QXColour colour) override;

    bool modified = true;
    GLuint texture = 0;
    int textureGeneration = 0;  // the Win32GL start the texture belongs to
};
