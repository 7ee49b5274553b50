#pragma once
// The DirectDraw 2D driver ("DirectDraw", the default): draws on DirectDraw
// surfaces by the shared rules, with the surfaces' colour fill and blits.

#include <array>

#include "graphics/win32/Win32GrDriver2D.h"

class Win32DDGrDriver2D : public Win32GrDriver2D {
public:
    Win32DDGrDriver2D();

    // Starts Win32DD first.
    bool startup() override;
    // Flags bit 0: kind 2 (24-bit with a display-format twin); else bit 1:
    // kind 1 (display format); else kind 0 (24-bit system memory).
    QXGraphics* createGraphics(int width, int height, int flags) override;
    void shutdown() override;

    // Plots store straight into the surface, which stays locked from one plot
    // to the next; every other primitive, and a change of context, unlocks
    // it first (so fills, blits and text reach the surface's own blitter).
    void plot(int x, int y) override;
    void rect(int x, int y, int w, int h, bool solid) override;
    // Blits between system-memory surfaces, and those the blitter cannot do
    // (between formats), are memory copies by the shared rules: the target
    // and the recent sources stay locked from one such blit to the next, as
    // plots keep theirs. The other blits involving video memory go to the
    // blitter.
    void blit(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) override;
    void text(int x, int y, const QXString* text) override;
    // Gives back the locks that plots and blits hold, if any.
    void settle();

    class Context : public Win32GrContext {
    public:
        using Win32GrContext::Win32GrContext;
    };

protected:
    bool ownsGraphics(QXGraphics* graphics) override;
    QXGrContext* newContext(QXGraphics* graphics, QXFont* font) override;
    HDC takeTextDC() override;
    void releaseTextDC() override;
    void contextChanged(QXGrContext* previous, QXGrContext* current) override;

private:
    // Locks the current store until settle(), unless it already is.
    const QXPixelLock& holdTarget(QXGraphics* graphics);
    // Locks and retains a blit source until settle(), unless it already is.
    void holdSource(QXGraphics* source);

    QXGraphics* held_ = nullptr;
    QXPixelLock heldLock_{};
    // Enough for the sprites of a scene; one more lets all of them go.
    static constexpr int kHeldSources = 16;
    std::array<QXGraphics*, kHeldSources> heldSources_{};
    int heldSourceCount_ = 0;
};

extern Win32DDGrDriver2D theWin32DDGrDriver2D;
