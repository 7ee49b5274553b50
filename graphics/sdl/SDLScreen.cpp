#include "graphics/sdl/SDLScreen.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/QXString.h"
#include "events/QXEvent.h"
#include "events/QXKeyCodes.h"
#include "events/linux/LinuxEventDriver.h"
#include "runtime/QXAppTitle.h"
#include "runtime/QXError.h"

namespace {

// The largest window side we try; beyond it no store of 32-bit pixels fits
// comfortably and X servers refuse anyway.
constexpr int kMaxSide = 16384;

// Windows numbers the buttons left 1, right 2, middle 3.
int buttonOf(Uint8 sdlButton) {
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
    }
}

// The code points of UTF-8 text; malformed bytes are skipped.
template <class Visit> void forEachCodePoint(const char* text, Visit&& visit) {
    const auto* at = reinterpret_cast<const unsigned char*>(text);
    while (*at) {
        const unsigned lead = *at++;
        int more = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
        if (more < 0) continue;
        unsigned point = more == 0 ? lead : lead & (0x3F >> more);
        bool good = true;
        for (; more > 0; --more) {
            if ((*at & 0xC0) != 0x80) {
                good = false;
                break;
            }
            point = (point << 6) | (*at++ & 0x3F);
        }
        if (good) visit(point);
    }
}

}  // namespace

// ---------------------------------------------------------------- screens

SDLScreen::SDLScreen(int width, int height) {
    windowed = true;
    const std::string title = appTitleText();
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                               SDL_WINDOW_SHOWN);
    if (!window_) return;
    store_ = createPixmap(width, height, QXFormatXRGB8888, 4);
    if (store_) store_->fill(0, 0, width, height, 0xFF000000);
}

SDLScreen::~SDLScreen() {
    theSDLScreenDriver.closed(this);
    release(store_);
    if (window_) SDL_DestroyWindow(window_);
}

int SDLScreen::query(int id) {
    static const int screenQuery = queryId("QXScreen");
    if (id == screenQuery) return handleOf(this);
    return QXScreen::query(id);
}

void SDLScreen::flip(bool) {
    if (!window_ || !store_ || !store_->hasPixels()) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) return;
    // A window the user resized keeps its store: the part that fits is shown.
    const int w = std::min(surface->w, store_->width), h = std::min(surface->h, store_->height);
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, store_->pixels, store_->pitch, surface->format->format,
                      surface->pixels, surface->pitch);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window_);
}

void SDLScreen::showPointer(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

void SDLScreen::moveMouse(int x, int y) {
    if (window_) SDL_WarpMouseInWindow(window_, x, y);
    pointerX_ = x;
    pointerY_ = y;
}

void SDLScreen::setTitle(QXString* title) {
    if (window_) SDL_SetWindowTitle(window_, stringCText(title));
}

void SDLScreen::translate(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
        // Either Shift, Ctrl or Alt counts, as Windows' generic virtual keys do.
        const SDL_Keymod held = SDL_GetModState();
        updateModifierSet(0x10, (held & KMOD_SHIFT) != 0);
        updateModifierSet(0x11, (held & KMOD_CTRL) != 0);
        updateModifierSet(0x12, (held & KMOD_ALT) != 0);
    }
    switch (event.type) {
    case SDL_KEYDOWN: {
        const int usage = event.key.keysym.scancode;
        // Held keys repeat their character, not their key-down (as on Windows).
        const int keyCode = event.key.repeat ? 0 : keyCodeOfUsbUsage(usage);
        if (keyCode) emit(EVENT_KEYDOWN, keyCode, 0, 0, 0);
        if (const int character = keyCharacterOfUsbUsage(usage)) emit(EVENT_KEYCHAR, character, 0, 0, 0);
        return;
    }
    case SDL_KEYUP:
        if (const int keyCode = keyCodeOfUsbUsage(event.key.keysym.scancode)) emit(EVENT_KEYUP, keyCode, 0, 0, 0);
        return;
    case SDL_TEXTINPUT:
        // The program's strings are bytes: characters beyond Latin-1 have no byte.
        forEachCodePoint(event.text.text, [this](unsigned point) {
            if (point >= 32 && point < 256) emit(EVENT_KEYCHAR, static_cast<int>(point), 0, 0, 0);
        });
        return;
    case SDL_MOUSEMOTION: {
        const bool moved = event.motion.x != pointerX_ || event.motion.y != pointerY_;
        pointerX_ = event.motion.x;
        pointerY_ = event.motion.y;
        if (!pointerInside_) {
            pointerInside_ = true;
            emit(EVENT_MOUSEENTER, 0, pointerX_, pointerY_, 0);
        }
        if (moved) emit(EVENT_MOUSEMOVE, 0, pointerX_, pointerY_, 0);
        return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int button = buttonOf(event.button.button);
        if (!button) return;
        // The button carries the position; without motion nothing else would keep it.
        pointerX_ = event.button.x;
        pointerY_ = event.button.y;
        emit(event.type == SDL_MOUSEBUTTONDOWN ? EVENT_MOUSEDOWN : EVENT_MOUSEUP, button, pointerX_, pointerY_,
             modifierSet());
        return;
    }
    case SDL_MOUSEWHEEL: {
        const int steps = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        if (steps) emit(EVENT_MOUSEWHEEL, steps, 0, 0, 0);
        return;
    }
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE: emit(0x803, 0, 0, 0, 0); return;
        case SDL_WINDOWEVENT_EXPOSED: flip(false); return;
        case SDL_WINDOWEVENT_LEAVE:
            if (pointerInside_) {
                pointerInside_ = false;
                emit(EVENT_MOUSELEAVE, 0, 0, 0, 0);
            }
            return;
        default: return;
        }
    default: return;
    }
}

// ---------------------------------------------------------------- driver

SDLScreenDriver::SDLScreenDriver() { registerModule("SDLScreenDriver", "Screen", nullptr); }

QX_MODULE_INSTANCE(SDLScreenDriver, 27);

bool SDLScreenDriver::startup() {
    setScreenDriver(this);
    return true;
}

void SDLScreenDriver::shutdown() {
    if (screenDriver() == this) setScreenDriver(nullptr);
    theLinuxEventDriver.setInputPoll(nullptr);
    screens_.clear();
    modes.clear();
    modesListed_ = false;
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoStarted_ = false;
}

bool SDLScreenDriver::startVideo() {
    if (videoStarted_) return true;
    // The program's runtime errors end it: SDL must not catch its signals.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // A window needs a display: SDL's off-screen and dummy drivers would let
    // Graphics pretend. X11 (Wayland desktops serve it too) unless
    // SDL_VIDEODRIVER names another.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // The window surface straight to X (shared memory where it can): through
    // a renderer it would go by OpenGL, which on a display without a GPU is
    // Mesa's software rasteriser, a copy and a texture upload more per frame.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    videoStarted_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    return videoStarted_;
}

QXScreen* SDLScreenDriver::openScreen(int width, int height, int, int) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) runtimeError("Failed to set display mode");
    if (!startVideo()) runtimeError("Unable to open a window: %s", SDL_GetError());
    auto* screen = new SDLScreen(width, height);
    if (!screen->window() || !screen->graphics() || !static_cast<QXPixmap*>(screen->graphics())->hasPixels()) {
        const std::string reason = SDL_GetError();
        release(screen);
        runtimeError("Unable to open a window: %s", reason.c_str());
    }
    opened(screen);
    return screen;
}

void SDLScreenDriver::opened(SDLScreen* screen) {
    screens_.push_back(screen);
    theLinuxEventDriver.setInputPoll(&SDLScreenDriver::pollInput);
}

void SDLScreenDriver::closed(SDLScreen* screen) {
    screens_.erase(std::remove(screens_.begin(), screens_.end(), screen), screens_.end());
    if (screens_.empty()) theLinuxEventDriver.setInputPoll(nullptr);
}

void SDLScreenDriver::waitVerticalBlank(int frames) {
    std::this_thread::sleep_for(std::chrono::microseconds(16667LL * frames));
}

const std::vector<QXDisplayMode>& SDLScreenDriver::displayModes() {
    if (modesListed_ || !startVideo()) return modes;
    modesListed_ = true;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        const int bits = SDL_BITSPERPIXEL(mode.format);
        const QXDisplayMode entry{mode.w, mode.h, bits == 16 ? 1 : bits == 24 && SDL_BYTESPERPIXEL(mode.format) == 3 ? 3 : 4};
        if (std::none_of(modes.begin(), modes.end(), [&](const QXDisplayMode& m) {
                return m.width == entry.width && m.height == entry.height && m.format == entry.format;
            }))
            modes.push_back(entry);
    }
    return modes;
}

bool SDLScreenDriver::pollInput() {
    bool raised = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        Uint32 windowId = 0;
        switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: windowId = event.key.windowID; break;
        case SDL_TEXTINPUT: windowId = event.text.windowID; break;
        case SDL_MOUSEMOTION: windowId = event.motion.windowID; break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: windowId = event.button.windowID; break;
        case SDL_MOUSEWHEEL: windowId = event.wheel.windowID; break;
        case SDL_WINDOWEVENT: windowId = event.window.windowID; break;
        default: continue;
        }
        for (SDLScreen* screen : theSDLScreenDriver.screens_) {
            if (SDL_GetWindowID(screen->window()) != windowId) continue;
            screen->translate(event);
            raised = true;
            break;
        }
    }
    return raised;
}
