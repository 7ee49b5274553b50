/* The driver commands as a stand-alone program uses them, with every driver
   module started the way execute starts them. Prints "ok <check>" or
   "FAIL <check>" per check; switches drivers back and forth, then ends by
   drawing with no buffer set, which stops the program. */
#include "qxprog.h"
#include "qxtest.h"

static void check(int ok, const char* what) {
    Write(text(ok ? "ok " : "FAIL "));
    Print(text(what));
}

static int same(QXString* a, const char* b) {
    int equal = _qxStrCompare(a, text(b)) == 0;
    _qxStrRelease(a);
    return equal;
}

void qxmain(void) {
    check(CountGfxDrivers() == 3, "three drivers");
    check(same(GfxDriverName(1), "Native") && same(GfxDriverName(2), "OpenGL") && same(GfxDriverName(3), "DirectDraw"),
          "driver names");
    check(GraphicsBuffer() == 0, "no buffer before one is set");
    SetGfxDriver(2);
    SetGfxDriver(1);
    SetGfxDriver(3);
    check(GraphicsBuffer() == 0, "drivers switch back and forth");
    Plot(1, 1);
    Print(text("not reached"));
}
