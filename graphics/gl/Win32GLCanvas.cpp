// The OpenGL canvas driver ("Win32GLCanvasDriver"): a canvas's back buffer
// is the frame buffer of its window, with a context of its own; flip swaps.

#include "graphics/win32/Win32Canvas.h"
#include "graphics/gl/Win32GL.h"
#include "runtime/QXError.h"

namespace {

class Win32GLCanvas : public Win32Canvas {
public:
    using Win32Canvas::Win32Canvas;
    ~Win32GLCanvas() override {
        // The store keeps the window's device context: it goes first.
        attachBuffer(nullptr);
        release(store_);
    }

    bool create() { return createCanvasWindow(WS_CLIPSIBLINGS | WS_CLIPCHILDREN); }

    QXGraphics* graphics() override {
        if (!store_)
            store_ = createGLWindowGraphics(hwnd(), std::max(1, shape().width), std::max(1, shape().height), false);
        return store_;
    }
    void flip(bool) override {
        if (!store_) return;
        store_->makeCurrent();
        store_->flushPoints();
        SwapBuffers(store_->dc);
    }

protected:
    // A swap shows whichever frame the other buffer holds: repaints leave the
    // window to the program's next flip.
    void paint() override {}

private:
    Win32GLGraphics* store_ = nullptr;
};

class Win32GLCanvasDriver : public Win32CanvasDriver<Win32GLCanvas> {
public:
    Win32GLCanvasDriver() : Win32CanvasDriver("Win32GLCanvasDriver", "OpenGL") {}
};

}  // namespace

QX_MODULE_INSTANCE(Win32GLCanvasDriver, 23);
