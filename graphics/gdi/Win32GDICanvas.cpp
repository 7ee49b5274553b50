// The native canvas driver ("Win32GDICanvasDriver"): a canvas's back buffer
// is a 24-bit DIB section copied into the canvas window with BitBlt.

#include "graphics/win32/Win32Canvas.h"
#include "graphics/gdi/Win32GDI.h"
#include "runtime/QXError.h"

namespace {

class Win32GDICanvas : public Win32Canvas {
public:
    using Win32Canvas::Win32Canvas;
    ~Win32GDICanvas() override {
        attachBuffer(nullptr);
        release(store_);
    }

    bool create() { return createCanvasWindow(WS_CLIPCHILDREN); }

    QXGraphics* graphics() override {
        if (!store_) store_ = createGDIGraphics(std::max(1, shape().width), std::max(1, shape().height));
        return store_;
    }
    void flip(bool) override {
        if (!store_ || !hwnd()) return;
        HDC target = GetDC(hwnd());
        if (!target) return;
        HDC source = store_->getDC();
        BitBlt(target, 0, 0, store_->width, store_->height, source, 0, 0, SRCCOPY);
        store_->releaseDC();
        ReleaseDC(hwnd(), target);
        // Wine keeps window drawing in a surface of its own until the thread
        // next waits for messages; a flip must show now, even if a Delay
        // follows. A wait of no time takes no message off the queue.
        GdiFlush();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    }

private:
    Win32GDIGraphics* store_ = nullptr;
};

class Win32GDICanvasDriver : public Win32CanvasDriver<Win32GDICanvas> {
public:
    Win32GDICanvasDriver() : Win32CanvasDriver("Win32GDICanvasDriver", "Native") {}
};

}  // namespace

QX_MODULE_INSTANCE(Win32GDICanvasDriver, 25);
