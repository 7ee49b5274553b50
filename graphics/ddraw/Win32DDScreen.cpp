#include "graphics/ddraw/Win32DDScreen.h"

#include "graphics/QXPixelFormatDirectDraw.h"
#include "graphics/ddraw/Win32DD.h"
#include "graphics/ddraw/Win32DDGrDriver2D.h"
#include "runtime/QXError.h"

namespace {
// Vertical-blank polls give up after this many tries.
constexpr int kVerticalBlankPolls = 100000;
// Restoring surfaces after a mode change gives up after this many pumps.
constexpr int kRestoreAttempts = 200;

IDirectDraw7* directDraw() { return theWin32DD.directDraw7(); }

template <class T> void releaseInterface(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

// The desktop: its graphics is the primary surface itself; flip does nothing.
class Win32DDDesktopScreen : public Win32Screen {
public:
    Win32DDDesktopScreen() { useDesktopWindow(); }
    QXGraphics* graphics() override { return theWin32DDScreenDriver.primary(); }
    void flip(bool) override {}
    bool surfaceValid() override {
        Win32DDGraphics* primary = theWin32DDScreenDriver.primary();
        return primary && primary->surface;
    }
};

// A window: a display-format back buffer copied onto the primary at the
// window's client area.
class Win32DDVirtualScreen : public Win32Screen {
public:
    ~Win32DDVirtualScreen() override {
        releaseInterface(clipper_);
        release(back_);
    }

    bool open(int width, int height) {
        windowed = true;
        back_ = createDDGraphics(kDDDisplay, width, height);
        back_->fill(0, 0, width, height, 0xFF000000);
        if (!createWindow(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0, 0, width, height))
            return false;
        clipper_ = createClipperFor(hwnd());
        if (!clipper_) runtimeError("Failed to create DD clipper");
        ShowWindow(hwnd(), SW_SHOW);
        UpdateWindow(hwnd());
        return true;
    }

    QXGraphics* graphics() override { return back_; }
    void flip(bool vwait) override {
        if (back_ && hwnd()) blitToWindow(*back_, hwnd(), clipper_, vwait);
    }
    void updateGamma(bool calibrate) override { setRamp(gamma, calibrate); }
    bool surfaceValid() override { return back_ && back_->surface && back_->surface->IsLost() == DD_OK; }

    static void setRamp(const QXGammaTable& table, bool calibrate) {
        Win32DDGraphics* primary = theWin32DDScreenDriver.primary();
        if (primary) setRamp(table, calibrate, primary->surface);
    }
    static void setRamp(const QXGammaTable& table, bool calibrate, IDirectDrawSurface7* surface) {
        if (!surface) return;
        static constexpr GUID kGammaControl = {
            0x69C11C3E, 0xB46B, 0x11D1, {0xAD, 0x7A, 0x00, 0xC0, 0x4F, 0xC2, 0x9B, 0x4E}};
        IDirectDrawGammaControl* control = nullptr;
        if (FAILED(surface->QueryInterface(kGammaControl, reinterpret_cast<void**>(&control))) || !control)
            return;
        constexpr DWORD kCalibrate = 1;  // DDSGR_CALIBRATE, absent from the headers here
        DDGAMMARAMP ramp;
        for (int i = 0; i < 256; ++i) {
            ramp.red[i] = table.red[i];
            ramp.green[i] = table.green[i];
            ramp.blue[i] = table.blue[i];
        }
        control->SetGammaRamp(calibrate ? kCalibrate : 0, &ramp);
        control->Release();
    }

private:
    Win32DDGraphics* back_ = nullptr;
    IDirectDrawClipper* clipper_ = nullptr;
};

// A full-screen display mode in exclusive mode: a pop-up window over the
// whole display and, where the driver offers one, a flipping chain whose back
// buffer the program draws on (flipped, or copied onto the front in copy
// mode). Without one (Wine under a plain X server, see docs/wine-notes.md) a
// back buffer in the display format is copied onto the primary at each flip.
class Win32DDFullScreen : public Win32Screen {
public:
    ~Win32DDFullScreen() override {
        releaseInterface(clipper_);
        release(chain_);
        release(back_);
        if (exclusive == this) {
            exclusive = nullptr;
            if (IDirectDraw7* dd = directDraw()) {
                dd->RestoreDisplayMode();
                dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
            }
        }
    }

    bool open(int width, int height, int format, int flags) {
        flags_ = flags;
        if (!createWindow(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height)) return false;
        activate(width, height, format);
        if (flags & kScreenFlipping) {
            // One primary per DirectDraw object: the desktop's goes first.
            theWin32DDScreenDriver.releasePrimary();
            chain_ = createDDFlipChain((flags & kScreenCopyFlip) ? kDDFlipPrimaryCopy : kDDFlipPrimary);
        }
        if (chain_) {
            if (chain_->kind == kDDFlipPrimaryCopy && !(clipper_ = createClipperFor(hwnd())))
                runtimeError("Failed to create DD clipper");
            chain_->fill(0, 0, chain_->width, chain_->height, 0xFF000000);
            return true;
        }
        back_ = createDDGraphics(kDDDisplay, width, height);
        back_->fill(0, 0, width, height, 0xFF000000);
        return true;
    }

    QXGraphics* graphics() override { return chain_ ? chain_ : back_; }
    void flip(bool vwait) override {
        if (chain_) {
            theWin32DDGrDriver2D.settle();  // plots may still hold the back buffer's lock
            if (vwait) waitOutsideVerticalBlank(directDraw());
            chain_->present(vwait, clipper_);
            return;
        }
        Win32DDGraphics* primary = theWin32DDScreenDriver.primary();
        if (!primary || !primary->surface || !back_ || !back_->surface) return;
        theWin32DDGrDriver2D.settle();
        if (vwait) waitOutsideVerticalBlank(directDraw());
        if (vwait && (flags_ & kScreenCopyFlip)) directDraw()->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        RECT whole{0, 0, back_->width, back_->height};
        if (FAILED(primary->surface->Blt(&whole, back_->surface, nullptr, DDBLT_WAIT, nullptr))) {
            primary->restore();
            back_->restore();
        }
    }
    void updateGamma(bool calibrate) override {
        if (chain_) Win32DDVirtualScreen::setRamp(gamma, calibrate, chain_->front);
        else Win32DDVirtualScreen::setRamp(gamma, calibrate);
    }
    bool surfaceValid() override {
        if (chain_) return chain_->valid();
        Win32DDGraphics* primary = theWin32DDScreenDriver.primary();
        return primary && primary->surface && primary->surface->IsLost() == DD_OK;
    }
    // Whether the screen shows through a real flipping chain.
    bool flipsChain() const { return chain_ != nullptr; }

protected:
    void paint() override {
        if (exclusive != this || minimized()) return;
        if (!surfaceValid()) restoreSurfaces();
        // A real flip would swap the pages; only a copy repeats the frame.
        else if (!chain_ || chain_->kind == kDDFlipPrimaryCopy) flip(false);
    }

private:
    void activate(int width, int height, int format) {
        IDirectDraw7* dd = directDraw();
        if (exclusive) {
            if (FAILED(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL)))
                runtimeError("Failed to set normal cooperative level");
            exclusive = nullptr;
        }
        if (FAILED(dd->SetCooperativeLevel(hwnd(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)))
            runtimeError("Failed to set excl cooperative level");
        exclusive = this;
        const int bits = format == 3 ? 24 : format == 4 ? 32 : 16;
        if (FAILED(dd->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                      static_cast<DWORD>(bits), 0, 0)))
            runtimeError("Failed to set display mode");
        restoreSurfaces();
    }
    // Bounded: a display that never settles must not hang the program.
    void restoreSurfaces() {
        for (int attempt = 0; attempt < kRestoreAttempts && !surfaceValid(); ++attempt) {
            if (chain_) {
                chain_->restore();
            } else {
                if (Win32DDGraphics* primary = theWin32DDScreenDriver.primary()) primary->restore();
                if (back_) back_->restore();
            }
            Sleep(1);
        }
    }

    static inline Win32DDFullScreen* exclusive = nullptr;
    Win32DDGraphics* chain_ = nullptr;
    Win32DDGraphics* back_ = nullptr;
    IDirectDrawClipper* clipper_ = nullptr;
    int flags_ = 0;
};

Win32DDGraphics* thePrimary = nullptr;

HRESULT WINAPI addMode(DDSURFACEDESC2* description, void* context) {
    auto& modes = *static_cast<std::vector<QXDisplayMode>*>(context);
    if (const int format = recogniseFormat(description->ddpfPixelFormat, false))
        modes.push_back({static_cast<int>(description->dwWidth), static_cast<int>(description->dwHeight), format});
    return DDENUMRET_OK;
}
}  // namespace

Win32DDScreenDriver::Win32DDScreenDriver() { registerModule("Win32DDScreenDriver", "Screen", "DirectDraw"); }

QX_MODULE_INSTANCE(Win32DDScreenDriver, 9);

bool Win32DDScreenDriver::startup() {
    // DirectDraw itself is made on first use (Win32DD).
    if (!startModuleNamed("Win32DD")) return false;
    desktop_ = new Win32DDDesktopScreen;
    addModuleResource(desktop_);
    setScreenDriver(this);
    return true;
}

void Win32DDScreenDriver::shutdown() {
    if (screenDriver() == this) setScreenDriver(nullptr);
    release(thePrimary);
    thePrimary = nullptr;
    desktop_ = nullptr;  // went with the module's resources
    modes.clear();
    modesListed_ = false;
}

const std::vector<QXDisplayMode>& Win32DDScreenDriver::displayModes() {
    if (!modesListed_ && state == 2 && directDraw()) {
        modesListed_ = true;
        directDraw()->EnumDisplayModes(0, nullptr, &modes, &addMode);
    }
    return modes;
}

void Win32DDScreenDriver::releasePrimary() {
    // A desktop buffer the program keeps holds the primary too: it stays
    // then, and the full screen copies onto it instead of flipping.
    if (!thePrimary || thePrimary->refCount > 1) return;
    release(thePrimary);
    thePrimary = nullptr;
}

Win32DDGraphics* Win32DDScreenDriver::primary() {
    if (thePrimary && thePrimary->generation != theWin32DD.generation()) {
        release(thePrimary);
        thePrimary = nullptr;
    }
    if (!thePrimary && directDraw()) {
        // Not fatal here: a display without a primary only shows nothing.
        DDSURFACEDESC2 description{};
        description.dwSize = sizeof description;
        description.dwFlags = DDSD_CAPS;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        IDirectDrawSurface7* probe = nullptr;
        if (FAILED(directDraw()->CreateSurface(&description, &probe, nullptr)) || !probe) return nullptr;
        probe->Release();
        thePrimary = createDDGraphics(kDDPrimary, 0, 0);
    }
    if (thePrimary) thePrimary->restore();
    return thePrimary;
}

QXScreen* Win32DDScreenDriver::openScreen(int width, int height, int format, int flags) {
    if (flags & kScreenWindowed) {
        auto* screen = new Win32DDVirtualScreen;
        if (!screen->open(width, height)) {
            release(screen);
            runtimeError("Unable to create window");
        }
        return screen;
    }
    auto* screen = new Win32DDFullScreen;
    screen->windowed = false;
    // The screen goes with its message when the display refuses.
    struct Guard {
        Win32DDFullScreen* screen;
        ~Guard() {
            if (screen) release(screen);
        }
    } guard{screen};
    if (!screen->open(width, height, format, flags)) runtimeError("Unable to create window");
    guard.screen = nullptr;
    return screen;
}

QXScreen* Win32DDScreenDriver::desktopScreen() { return desktop_; }

void waitOutsideVerticalBlank(IDirectDraw7* dd) {
    if (!dd) return;
    for (int poll = 0; poll < kVerticalBlankPolls; ++poll) {
        BOOL inBlank = FALSE;
        if (FAILED(dd->GetVerticalBlankStatus(&inBlank)) || !inBlank) return;
    }
}

void Win32DDScreenDriver::waitVerticalBlank(int frames) {
    IDirectDraw7* dd = directDraw();
    if (!dd) return;
    for (int i = 0; i < frames; ++i) {
        waitOutsideVerticalBlank(dd);
        dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    }
}

int Win32DDScreenDriver::scanLine() {
    DWORD line = 0;
    if (!directDraw() || FAILED(directDraw()->GetScanLine(&line))) return 0;
    return static_cast<int>(line);
}

namespace {
// DDCAPS of 380 bytes as the DirectX 7 headers define it.
int videoMemory(bool total) {
    IDirectDraw7* dd = directDraw();
    if (!dd) return 0;
    DDCAPS caps{};
    caps.dwSize = sizeof caps;
    if (FAILED(dd->GetCaps(&caps, nullptr))) return 0;
    return static_cast<int>(total ? caps.dwVidMemTotal : caps.dwVidMemFree);
}
}  // namespace

int Win32DDScreenDriver::availableVideoMemory() { return videoMemory(false); }
int Win32DDScreenDriver::totalVideoMemory() { return videoMemory(true); }

IDirectDrawClipper* createClipperFor(HWND window) {
    IDirectDraw7* dd = directDraw();
    IDirectDrawClipper* clipper = nullptr;
    if (!dd || FAILED(dd->CreateClipper(0, &clipper, nullptr)) || !clipper) return nullptr;
    if (FAILED(clipper->SetHWnd(0, window))) {
        clipper->Release();
        return nullptr;
    }
    return clipper;
}

void blitToWindow(Win32DDGraphics& source, HWND window, IDirectDrawClipper* clipper, bool vwait) {
    Win32DDGraphics* primary = theWin32DDScreenDriver.primary();
    if (!primary || !primary->surface || !source.surface) return;
    theWin32DDGrDriver2D.settle();  // plots may still hold the source's lock
    POINT topLeft{0, 0};
    ClientToScreen(window, &topLeft);
    if (vwait) waitOutsideVerticalBlank(directDraw());
    RECT target{topLeft.x, topLeft.y, topLeft.x + source.width, topLeft.y + source.height};
    primary->surface->SetClipper(clipper);
    if (FAILED(primary->surface->Blt(&target, source.surface, nullptr, DDBLT_WAIT, nullptr))) {
        source.restore();
        primary->restore();
    }
    primary->surface->SetClipper(nullptr);
}
