#pragma once
// The 2D driver of the Linux host (serves every driver number): every store
// is a memory store drawn by the shared rules, screens' stores included, and
// text is drawn from the coverage SDL_ttf gives, blended in the colour.

#include "graphics/Q2DSharedDriver2D.h"

class SDLGrDriver2D : public Q2DSharedDriver2D {
public:
    SDLGrDriver2D();

    // Starts the font driver first.
    bool startup() override;
    // A 32-bit memory store (the flags do not matter).
    QXGraphics* createGraphics(int width, int height, int flags) override;
    void text(int x, int y, const QXString* text) override;

protected:
    bool ownsGraphics(QXGraphics* graphics) override;
    bool ownsFont(QXFont* font) override;
    QXFont* makeDefaultFont() override;
    // At the first image or screen: the font, and FreeType with it, would
    // otherwise load at every start.
    bool makesDefaultFontAtStart() const override { return false; }
    QXGrContext* newContext(QXGraphics* graphics, QXFont* font) override;
};

extern SDLGrDriver2D theSDLGrDriver2D;
