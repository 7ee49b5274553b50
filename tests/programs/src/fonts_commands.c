/* Fonts as a program uses them. Any installed face will do: unknown faces
   are substituted. Prints "ok <check>" or "FAIL <check>" per check, then ends
   by asking about a freed font, which stops the program. */
#include "qxprog.h"
#include "qxtest.h"

/* Every string made here is released, so that ActiveObjects counts fonts. */
static void show(void(QXCALL* out)(QXString*), const char* bytes) {
    QXString* s = text(bytes);
    out(s);
    _qxStrRelease(s);
}

static void check(int ok, const char* what) {
    show(Write, ok ? "ok " : "FAIL ");
    show(Print, what);
}

static int load(const char* name, int height, int bold, int italic, int underline) {
    QXString* s = text(name);
    int font = LoadFont(s, height, bold, italic, underline);
    _qxStrRelease(s);
    return font;
}

/* True when the string is not empty; releases it. */
static int hasText(QXString* s) {
    QXString* empty = text("");
    int filled = _qxStrCompare(s, empty) != 0;
    _qxStrRelease(empty);
    _qxStrRelease(s);
    return filled;
}

void qxmain(void) {
    FreeFont(load("Tahoma", 12, 0, 0, 0)); /* the driver's own bookkeeping is in place */
    int before = ActiveObjects();

    int font = load("Tahoma", 20, 0, 0, 0);
    check(font != 0, "LoadFont");
    check(FontSize(font) == 20, "FontSize is the height asked for");
    check(FontStyle(font) == 0, "plain style");
    check(FontAscent(font) > 0 && FontDescent(font) > 0, "ascent and descent");
    check(hasText(FontName(font)), "FontName");

    int bold = load("Tahoma", 12, 1, 0, 0);
    int notBold = load("Tahoma", 12, 256, 0, 0);
    int styled = load("Tahoma", 12, 0, 1, 1);
    check(FontStyle(bold) == 1, "bold");
    check(FontStyle(notBold) == 0, "256 is not bold");
    check(FontStyle(styled) == 6, "italic and underlined");

    int unknown = load("No Such Face At All", 16, 0, 0, 0);
    int dotted = load("nosuchfile.ttf", 16, 0, 0, 0);
    check(unknown != 0 && dotted != 0, "unknown faces and missing files still give fonts");
    check(hasText(FontName(unknown)), "the substitute has a name");

    FreeFont(0);
    FreeFont(font);
    FreeFont(bold);
    FreeFont(notBold);
    FreeFont(styled);
    FreeFont(unknown);
    FreeFont(dotted);
    check(ActiveObjects() == before, "freed fonts are gone");

    FontSize(font);
    show(Print, "not reached");
}
