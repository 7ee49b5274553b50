// The native family's screen driver ("Win32GDIScreenDriver"): every screen
// draws on a 24-bit DIB section that a flip copies into its window.

#include "graphics/win32/Win32Screen.h"
#include "graphics/gdi/Win32GDI.h"
#include "runtime/QXError.h"

namespace {

class Win32GDIScreen : public Win32Screen {
public:
    ~Win32GDIScreen() override {
        release(store_);
        if (changedDisplay_) ChangeDisplaySettingsA(nullptr, 0);
    }

    // The desktop's store is made on first use: starting the driver never stops the program.
    void openDesktop() { useDesktopWindow(); }

    bool openWindow(int width, int height) {
        windowed = true;
        store_ = createGDIGraphics(width, height);
        if (!createWindow(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0, 0, width, height))
            return false;
        ShowWindow(hwnd(), SW_SHOW);
        return true;
    }

    bool openFull(int width, int height, int format) {
        width_ = width;
        height_ = height;
        bits_ = format == 3 ? 24 : format == 4 ? 32 : 16;
        store_ = createGDIGraphics(width, height);
        setMode(true);
        if (!createWindow(WS_POPUP | WS_CLIPCHILDREN, 0, 0, width, height)) return false;
        ShowWindow(hwnd(), SW_SHOW);
        return true;
    }

    QXGraphics* graphics() override {
        if (!store_ && desktop_) {
            RECT r{};
            GetWindowRect(GetDesktopWindow(), &r);
            store_ = createGDIGraphics(r.right - r.left, r.bottom - r.top);
        }
        return store_;
    }

    void flip(bool) override {
        if (desktop_ || !hwnd() || !store_) return;
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

    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override {
        if (message == WM_ACTIVATEAPP && !windowed && !desktop_ && hwnd == this->hwnd()) {
            if (wParam) setMode(true);
            else {
                setMode(false);
                ShowWindow(hwnd, SW_MINIMIZE);
            }
        }
        return Win32Screen::handleMessage(hwnd, message, wParam, lParam, previous);
    }

private:
    void setMode(bool full) {
        if (!full) {
            if (changedDisplay_) ChangeDisplaySettingsA(nullptr, 0);
            changedDisplay_ = false;
            return;
        }
        DEVMODEA mode{};
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = static_cast<DWORD>(width_);
        mode.dmPelsHeight = static_cast<DWORD>(height_);
        mode.dmBitsPerPel = static_cast<DWORD>(bits_);
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
        if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL)
            runtimeError("Failed to set display mode");
        changedDisplay_ = true;
    }

    Win32GDIGraphics* store_ = nullptr;
    bool changedDisplay_ = false;
    int width_ = 0, height_ = 0, bits_ = 16;
};

class Win32GDIScreenDriver : public QXScreenDriver {
public:
    Win32GDIScreenDriver() { registerModule("Win32GDIScreenDriver", "Screen", "Native"); }

    bool startup() override {
        if (!startModuleNamed("Win32GDI")) return false;
        modes = {{640, 480, 1}};
        auto* desktop = new Win32GDIScreen;
        desktop->openDesktop();
        desktop_ = desktop;
        addModuleResource(desktop_);
        setScreenDriver(this);
        return true;
    }
    void shutdown() override {
        if (screenDriver() == this) setScreenDriver(nullptr);
        desktop_ = nullptr;
    }

    QXScreen* openScreen(int width, int height, int format, int flags) override {
        auto* screen = new Win32GDIScreen;
        struct Guard {
            Win32GDIScreen* screen;
            ~Guard() {
                if (screen) release(screen);
            }
        } guard{screen};
        const bool opened =
            (flags & kScreenWindowed) ? screen->openWindow(width, height) : screen->openFull(width, height, format);
        if (!opened) runtimeError("Unable to create window");
        guard.screen = nullptr;
        return screen;
    }
    QXScreen* desktopScreen() override { return desktop_; }

private:
    QXScreen* desktop_ = nullptr;
};

}  // namespace

QX_MODULE_INSTANCE(Win32GDIScreenDriver, 27);
