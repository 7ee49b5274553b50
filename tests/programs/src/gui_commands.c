/* Gadgets made by the native driver in a running program. Prints "ok <check>"
   or "FAIL <check>" per check, then makes a panel without a group, which
   stops the program. */
#include "qxprog.h"
#include "qxtest.h"

static void show(void(QXCALL* out)(QXString*), const char* bytes) {
    QXString* s = text(bytes);
    out(s);
    _qxStrRelease(s);
}

static void check(int ok, const char* what) {
    show(Write, ok ? "ok " : "FAIL ");
    show(Print, what);
}

static int sameText(QXString* got, const char* expected) {
    QXString* e = text(expected);
    int same = _qxStrCompare(got, e) == 0;
    _qxStrRelease(e);
    _qxStrRelease(got);
    return same;
}

void qxmain(void) {
    int start = ActiveObjects();
    QXString* title = text("Gadgets");
    int window = CreateWindow(title, 40, 30, 320, 240, 0, 3);
    _qxStrRelease(title);
    check(window != 0 && GadgetGroup(window) == 0, "top-level window");
    check(GadgetX(window) == 40 && GadgetWidth(window) == 320, "window shape");
    check(ClientWidth(window) > 0 && ClientWidth(window) < 320, "client area inside the frame");
    check(QueryObject(window, 1) != 0, "native window");

    int panel = CreatePanel(0, 0, ClientWidth(window), ClientHeight(window), window, 1);
    QXString* label = text("Press");
    int button = CreateButton(label, 10, 10, 80, 24, panel, 1);
    _qxStrRelease(label);
    check(GadgetGroup(button) == panel && GadgetGroup(panel) == window, "parents");
    check(sameText(GadgetText(button), "Press"), "button text");
    check(GadgetFont(button) != 0 && FontSize(GadgetFont(button)) > 0, "default font");

    SetGadgetLayout(panel, 1, 1, 1, 1);
    SetGadgetShape(window, 40, 30, 420, 300);
    check(GadgetWidth(panel) == ClientWidth(window), "panel follows the window");

    int desktop = Desktop();
    FreeGadget(desktop);
    check(Desktop() == desktop && ClientWidth(desktop) > 0, "the desktop stays");

    FreeGadget(window);
    check(ActiveObjects() == start, "freeing the window frees everything");

    CreateWindow(0, 0, 0, 100, 100, 0, 1); /* left for the end of the program */
    CreatePanel(0, 0, 10, 10, 0, 0);
    show(Print, "not reached");
}
