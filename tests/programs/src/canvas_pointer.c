/* A canvas whose buffer (200x100) is larger than its client area (100x50),
   in a frameless window whose client area starts at (100, 100) on the
   display, canvas at (20, 20). The first click on the canvas writes
   "down <MouseX> <MouseY> <event x> <event y>" to the file named on the
   command line (positions in buffer pixels), then moves the pointer to
   buffer pixel (150, 80) with MoveMouse and ends. */
#include "qxprog.h"
#include "qxtest.h"

void qxmain(void) {
    QXString* line = CommandLine();
    QXString* name = Trim(line);
    int out = WriteFile(name);
    _qxStrRelease(name);
    _qxStrRelease(line);
    QXString* title = text("QXCanvasPointer");
    int window = CreateWindow(title, 100, 100, 300, 200, 0, 0);
    _qxStrRelease(title);
    int canvas = CreateCanvas(20, 20, 200, 100, window, 0);
    SetGadgetShape(canvas, 20, 20, 100, 50);
    SetBuffer(CanvasBuffer(canvas));
    ClsColor(0, 0, 200);
    Cls();
    FlipCanvas(canvas, 0);
    QXString* ready = text("ready");
    WriteLine(out, ready);
    _qxStrRelease(ready);

    for (;;) {
        int id = WaitEvent(20000);
        if (id == 0) break;
        if (id == 0x201 && EventSource() == canvas) {
            QXString* report = text("down");
            appendInt(&report, MouseX(canvas));
            appendInt(&report, MouseY(canvas));
            appendInt(&report, EventX());
            appendInt(&report, EventY());
            WriteLine(out, report);
            _qxStrRelease(report);
            MoveMouse(150, 80, canvas);
            break;
        }
    }
    CloseFile(out);
}
