// The OpenGL family's screen driver ("Win32GLScreenDriver"): a screen is a
// window with its own rendering context (sharing the root's objects); flip
// swaps its buffers. There is no desktop screen.

#include "graphics/win32/Win32Screen.h"
#include "graphics/gl/Win32GL.h"
#include "runtime/QXError.h"

namespace {

class Win32GLScreen : public Win32Screen {
public:
    ~Win32GLScreen() override {
        release(store_);
        if (changedDisplay_) ChangeDisplaySettingsA(nullptr, 0);
    }

    bool open(int width, int height, int format, bool inWindow) {
        windowed = inWindow;
        if (!inWindow) {
            DEVMODEA mode{};
            mode.dmSize = sizeof mode;
            mode.dmPelsWidth = static_cast<DWORD>(width);
            mode.dmPelsHeight = static_cast<DWORD>(height);
            mode.dmBitsPerPel = format == 3 ? 24 : format == 4 ? 32 : 16;
            mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
            if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL)
                runtimeError("Failed to set display mode");
            changedDisplay_ = true;
        }
        const DWORD style = inWindow ? WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN | WS_CLIPSIBLINGS
                                     : WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
        if (!createWindow(style, 0, 0, width, height)) return false;
        ShowWindow(hwnd(), SW_SHOW);
        store_ = createGLWindowGraphics(hwnd(), width, height, false);
        store_->fill(0, 0, width, height, 0xFF000000);
        return true;
    }

    QXGraphics* graphics() override { return store_; }
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

public:
    void makeCurrent() override {
        if (store_) store_->makeCurrent();
    }

private:
    Win32GLGraphics* store_ = nullptr;
    bool changedDisplay_ = false;
};

class Win32GLScreenDriver : public QXScreenDriver {
public:
    Win32GLScreenDriver() { registerModule("Win32GLScreenDriver", "Screen", "OpenGL"); }

    bool startup() override {
        if (!startModuleNamed("Win32GL")) return false;
        modes = {{640, 480, 1}};
        setScreenDriver(this);
        return true;
    }
    void shutdown() override {
        if (screenDriver() == this) setScreenDriver(nullptr);
    }

    QXScreen* openScreen(int width, int height, int format, int flags) override {
        auto* screen = new Win32GLScreen;
        struct Guard {
            Win32GLScreen* screen;
            ~Guard() {
                if (screen) release(screen);
            }
        } guard{screen};
        if (!screen->open(width, height, format, (flags & kScreenWindowed) != 0))
            runtimeError("Unable to create window");
        guard.screen = nullptr;
        return screen;
    }
    QXScreen* desktopScreen() override { return nullptr; }
};

}  // namespace

QX_MODULE_INSTANCE(Win32GLScreenDriver, 22);
