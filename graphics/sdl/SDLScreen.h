#pragma once
// The screen driver on SDL2 (Linux): each screen is a window whose pixels
// live in a memory store (32-bit XRGB) drawn by the shared rules; Flip copies
// the store to the window's surface. The window is an event source of key,
// button, motion and wheel events, and of 0x803 when its close box is
// clicked (the program decides). SDL's video starts with the first window,
// so a program without a display draws into images and fails only at
// Graphics, with a runtime error naming the reason.

#include <SDL2/SDL.h>

#include "graphics/QXPixmap.h"
#include "graphics/QXScreen.h"

class SDLScreen : public QXScreen {
public:
    // A window of the size, shown, with a black store; check window().
    SDLScreen(int width, int height);
    ~SDLScreen() override;

    // Answers "QXScreen".
    int query(int queryId) override;
    QXGraphics* graphics() override { return store_; }
    void flip(bool vwait) override;
    void showPointer(bool show) override;
    void moveMouse(int x, int y) override;
    int mouseX() override { return pointerX_; }
    int mouseY() override { return pointerY_; }
    void setTitle(QXString* title) override;

    SDL_Window* window() const { return window_; }
    // Raises the events of one of the window's SDL events.
    void translate(const SDL_Event& event);

private:
    SDL_Window* window_ = nullptr;
    QXPixmap* store_ = nullptr;
    int pointerX_ = 0;
    int pointerY_ = 0;
    bool pointerInside_ = false;
};

class SDLScreenDriver : public QXScreenDriver {
public:
    SDLScreenDriver();
    bool startup() override;
    void shutdown() override;

    // Always a window of 32-bit pixels: "Failed to set display mode" for a
    // size no window can have, "Unable to open a window: REASON" when SDL
    // has no display (or refuses the window).
    QXScreen* openScreen(int width, int height, int format, int flags) override;
    QXScreen* desktopScreen() override { return nullptr; }
    // Sleeps a sixtieth of a second per frame: the window system has no
    // vertical blank to wait for.
    void waitVerticalBlank(int frames) override;
    // The desktop's modes, asked on first use; none without a display.
    const std::vector<QXDisplayMode>& displayModes() override;

    // The open screens (their windows).
    void opened(SDLScreen* screen);
    void closed(SDLScreen* screen);

private:
    // Starts SDL's video; false (with SDL's reason kept) when it cannot.
    bool startVideo();
    static bool pollInput();

    bool videoStarted_ = false;
    bool modesListed_ = false;
    std::vector<SDLScreen*> screens_;
};

extern SDLScreenDriver theSDLScreenDriver;
