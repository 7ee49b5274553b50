#pragma once
// What the three Windows 2D drivers add to the shared rules: the Windows
// font driver's fonts, and text through a device context on the store.

#include <windows.h>

#include "graphics/Q2DSharedDriver2D.h"

// The Windows drivers' contexts are the shared kind.
using Win32GrContext = Q2DSharedContext;

class Win32GrDriver2D : public Q2DSharedDriver2D {
public:
    using Q2DSharedDriver2D::Q2DSharedDriver2D;

    // Starts the font driver, then the shared part (default font, active driver).
    bool startup() override;
    void text(int x, int y, const QXString* text) override;

protected:
    // Fonts of the Windows font driver.
    bool ownsFont(QXFont* font) override;
    QXFont* makeDefaultFont() override;
    // A device context on the current store for text, or null; each
    // non-null answer is given back with releaseTextDC.
    virtual HDC takeTextDC() = 0;
    virtual void releaseTextDC() = 0;
};

// The COLORREF of a colour value (red in the low byte, top byte 0).
constexpr COLORREF colourRef(QXColour colour) {
    return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}
