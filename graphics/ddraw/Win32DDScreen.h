#pragma once
// The DirectDraw screen driver (subsystem "Screen") and its three screens:
// the desktop, a full-screen display mode and a window.

#include <ddraw.h>

#include "graphics/win32/Win32Screen.h"
#include "graphics/ddraw/Win32DDGraphics.h"

class Win32DDScreenDriver : public QXScreenDriver {
public:
    Win32DDScreenDriver();

    // Needs Win32DD; lists the display modes and makes the desktop screen.
    bool startup() override;
    void shutdown() override;

    QXScreen* openScreen(int width, int height, int format, int flags) override;
    QXScreen* desktopScreen() override;
    void waitVerticalBlank(int frames) override;
    int scanLine() override;
    int availableVideoMemory() override;
    int totalVideoMemory() override;

    // The desktop's primary surface (restored when lost), shared by every
    // windowed screen and canvas as the target of their flips; null when
    // DirectDraw gives none.
    Win32DDGraphics* primary();
    // Lets the desktop's primary go, so that a full screen can make its
    // flipping chain (DirectDraw allows one primary), unless something else
    // holds it; primary() makes it again when next asked.
    void releasePrimary();
    // Listed on first use: asking makes the DirectDraw object.
    const std::vector<QXDisplayMode>& displayModes() override;

private:
    bool modesListed_ = false;
    QXScreen* desktop_ = nullptr;
};

extern Win32DDScreenDriver theWin32DDScreenDriver;

// Polls the vertical-blank status until it reports being outside a blank,
// a bounded number of times (Wine may never settle).
void waitOutsideVerticalBlank(IDirectDraw7* directDraw);

// A DirectDraw clipper bound to `window`; null when one cannot be made.
IDirectDrawClipper* createClipperFor(HWND window);

// Copies `source` onto the primary at the client area of `window`, through
// `clipper`. Nothing happens when the primary is not available.
void blitToWindow(Win32DDGraphics& source, HWND window, IDirectDrawClipper* clipper, bool vwait);
