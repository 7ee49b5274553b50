// The DirectDraw canvas driver ("Win32DDCanvasDriver"): a canvas's back
// buffer is a display-format surface copied onto the desktop's primary
// surface at the canvas window, through a clipper bound to that window.

#include "graphics/win32/Win32Canvas.h"
#include "graphics/ddraw/Win32DDScreen.h"
#include "gui/QXGuiDriver.h"
#include "runtime/QXError.h"

namespace {

class Win32DDCanvas : public Win32Canvas {
public:
    using Win32Canvas::Win32Canvas;
    ~Win32DDCanvas() override {
        attachBuffer(nullptr);
        release(back_);
        if (clipper_) clipper_->Release();
    }

    bool create() {
        if (!createCanvasWindow(WS_CLIPSIBLINGS | WS_CLIPCHILDREN)) return false;
        clipper_ = createClipperFor(hwnd());
        if (!clipper_) runtimeError("Failed to create DirectDraw clipper");
        return true;
    }

    QXGraphics* graphics() override {
        if (!back_) back_ = createDDGraphics(kDDDisplay, std::max(1, shape().width), std::max(1, shape().height));
        return back_;
    }
    void flip(bool vwait) override {
        if (back_ && hwnd()) blitToWindow(*back_, hwnd(), clipper_, vwait);
    }

private:
    Win32DDGraphics* back_ = nullptr;
    IDirectDrawClipper* clipper_ = nullptr;
};

class Win32DDCanvasDriver : public Win32CanvasDriver<Win32DDCanvas> {
public:
    Win32DDCanvasDriver() : Win32CanvasDriver("Win32DDCanvasDriver", "DirectDraw") {}
};

}  // namespace

QX_MODULE_INSTANCE(Win32DDCanvasDriver, 12);
