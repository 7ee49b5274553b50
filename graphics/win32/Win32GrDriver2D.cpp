#include "graphics/win32/Win32GrDriver2D.h"

#include "core/QXString.h"
#include "events/win32/Win32Font.h"
#include "runtime/QXError.h"

bool Win32GrDriver2D::startup() {
    if (!startModuleNamed("Win32FontDriver")) return false;
    return Q2DSharedDriver2D::startup();
}

bool Win32GrDriver2D::ownsFont(QXFont* font) { return dynamic_cast<Win32Font*>(font) != nullptr; }

QXFont* Win32GrDriver2D::makeDefaultFont() {
    QXFontDriver* fonts = fontDriver();
    return fonts ? fonts->createFont("courier", 10, 0) : nullptr;
}

void Win32GrDriver2D::text(int x, int y, const QXString* string) {
    QXGrContext& c = current();
    auto* font = dynamic_cast<Win32Font*>(c.font);
    HDC dc = takeTextDC();
    if (!dc) return;
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previousFont = font ? SelectObject(dc, font->handle()) : nullptr;
    SetTextColor(dc, colourRef(c.colour));
    const RECT clip{c.viewport.left, c.viewport.top, c.viewport.right, c.viewport.bottom};
    const int length = string ? string->length : 0;
    ExtTextOutA(dc, x, y, ETO_CLIPPED, &clip, string ? string->data : "", static_cast<UINT>(length), nullptr);
    if (previousFont) SelectObject(dc, previousFont);
    releaseTextDC();
}
