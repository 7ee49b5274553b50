// The font commands: load and free fonts and read what they are.

#include "core/QXString.h"
#include "events/QXFont.h"
#include "runtime/QXRegistry.h"

namespace {
QXFont& fontOf(int handle) { return *checkHandle<QXFont>(handle, "Font"); }

int QXCALL LoadFont(QXString* fontname, int height, int bold, int italic, int underline) {
    QXFontDriver* driver = fontDriver();
    if (!driver) return 0;
    return handleOf(driver->createFont(stringCText(fontname), height, fontStyleFromFlags(bold, italic, underline)));
}

void QXCALL FreeFont(int font) {
    if (font == 0) return;
    release(&fontOf(font));
}

QXString* QXCALL FontName(int font) { return fontOf(font).name(); }

int QXCALL FontSize(int font) { return fontOf(font).size(); }

int QXCALL FontStyle(int font) { return fontOf(font).style(); }

int QXCALL FontAscent(int font) { return fontOf(font).ascent(); }

int QXCALL FontDescent(int font) { return fontOf(font).descent(); }

const QXSymbol commands[] = {
    QX_COMMAND("%LoadFont$fontname%height%bold=0%italic=0%underline=0", LoadFont),
    QX_COMMAND("FreeFont%font", FreeFont),
    QX_COMMAND("$FontName%font", FontName),
    QX_COMMAND("%FontSize%font", FontSize),
    QX_COMMAND("%FontStyle%font", FontStyle),
    QX_COMMAND("%FontAscent%font", FontAscent),
    QX_COMMAND("%FontDescent%font", FontDescent),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
