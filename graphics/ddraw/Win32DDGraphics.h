#pragma once
// A pixel store over a DirectDraw surface. Fill and copy go to the surface's
// own blitter when they can (colour fill, blits between surfaces of one
// format, the source's mask as colour key) and to the portable operations
// otherwise; a lost surface is restored when an operation on it fails.
//
// Kinds made here: 0, 24-bit system memory; 1, display format in video memory
// (system memory when that fails); 2, as 0 with a kind-1 twin that serves as
// the fast source of blits onto display-format surfaces; 3, the primary;
// 4 and 5, a full screen's flipping chain (primary and one back buffer):
// drawing goes to the back buffer, which 4 flips to the front and 5 copies
// onto it.

#include <ddraw.h>

#include <cstdint>

#include "graphics/QXGraphics.h"

class QXPixmap;

enum Win32DDKind : int {
    kDDSystem24 = 0,
    kDDDisplay = 1,
    kDDSystem24WithTwin = 2,
    kDDPrimary = 3,
    kDDFlipPrimary = 4,
    kDDFlipPrimaryCopy = 5,
};

class Win32DDGraphics : public QXGraphics {
public:
    ~Win32DDGraphics() override;

    void fill(int x, int y, int w, int h, QXColour colour) override;
    void copy(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) override;
    // Nests. The outermost lock locks the surface (restoring it once if
    // that fails); when it still cannot be locked, a code-4 pixmap of the
    // surface's size stands in and its contents are dropped at the unlock.
    QXPixelLock lock() override;
    void unlock() override;

    // Whether a copy from `source` onto this surface, neither locked, would
    // be a Blt: a different surface of this format, or a 24-bit source with
    // a display-format twin of it.
    bool blitsFrom(const Win32DDGraphics& source) const;

    // The surface's device context, for text; "Failed to lock HDC" while
    // one is already taken or when the surface gives none.
    HDC getDC();
    void releaseDC();

    // Restores a lost surface (making it anew when it cannot be restored).
    // A surface held locked or with its DC out is left alone: the program
    // may still write through the lock's address. It is restored at the
    // outermost unlock or DC release instead.
    void restore();
    // Whether the surface (and, for a chain, its front) is there and not lost.
    bool valid() const;

    // Kinds 4 and 5: shows the back buffer. Kind 4 flips (DDFLIP_WAIT, plus
    // DDFLIP_NOVSYNC without vwait); kind 5 copies the back buffer onto the
    // front through `clipper`. Restores the chain when it was lost.
    void present(bool vwait, IDirectDrawClipper* clipper);

    int kind;
    int format = 0;
    // Whether the surface lives in system memory (as its caps say), where the
    // blitter is a CPU copy too, and a lock costs no transfer.
    bool systemMemory = false;
    bool modified = false;
    IDirectDrawSurface7* surface = nullptr;  // kinds 4, 5: the back buffer
    IDirectDrawSurface7* front = nullptr;    // kinds 4, 5: the primary of the chain
    Win32DDGraphics* twin = nullptr;  // kind 2: the display-format copy
    HDC dc = nullptr;
    int lockCount = 0;
    std::uint8_t* lockAddress = nullptr;
    int lockPitch = 0;
    QXPixmap* fallback = nullptr;
    // The start of Win32DD the surface belongs to.
    int generation;

private:
    friend Win32DDGraphics* createDDGraphics(int kind, int width, int height);
    friend Win32DDGraphics* createDDFlipChain(int kind);
    // Holds `directDraw` and ddraw.dll for as long as the store lives.
    Win32DDGraphics(IDirectDraw7* directDraw, int kind, int width, int height);
    bool createSurface();
    // The store to blit from onto this one: the twin of a kind-2 source when
    // this surface is in the display format, refreshed first when stale.
    Win32DDGraphics* blitSourceFor(Win32DDGraphics* source);
    bool blitFrom(Win32DDGraphics* source, int x, int y, int w, int h, int sourceX, int sourceY, bool masked);
    bool busy() const { return lockCount > 0 || dc != nullptr; }
    // The surface's memory is out to a lock or a DC.
    bool held() const { return surfaceLocked_ || dc != nullptr; }
    bool isChain() const { return kind == kDDFlipPrimary || kind == kDDFlipPrimaryCopy; }
    void releaseSurfaces();

    bool surfaceLocked_ = false;
    IDirectDraw7* directDraw_ = nullptr;  // counted while the surface lives
    HMODULE library_ = nullptr;           // ddraw.dll, loaded once more while the surface lives
};

// An off-screen surface of kind 0, 1 or 2, or the primary surface (kind 3,
// the display's size whatever size is asked) (count 1). Stops with "Failed to
// create DirectDraw surface" when DirectDraw is not running or refuses it.
Win32DDGraphics* createDDGraphics(int kind, int width, int height);

// A flipping chain (kind 4 or 5) of the display's size, or null when the
// driver offers none (no exclusive mode, no flipping). Stops with "Failed to
// get backbuffer surface" when the chain is made but its back buffer cannot
// be had. The display's other primary must have been released first.
Win32DDGraphics* createDDFlipChain(int kind);
