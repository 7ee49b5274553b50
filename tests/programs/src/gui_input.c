/* A window driven from outside: a frameless window at (100, 100) filled by a
   panel with a button at (150, 10, 100, 40). Writes every event it takes to
   the file named on its command line, one per line as
   "id data x y z source" (id in hex, source as "window", "panel", "button"
   or a number), and ends after the button's click or after 20 s without
   input. */
#include "qxprog.h"
#include "qxtest.h"

void qxmain(void) {
    QXString* line = CommandLine();
    QXString* name = Trim(line);
    int out = WriteFile(name);
    _qxStrRelease(name);
    _qxStrRelease(line);
    QXString* title = text("QXGuiInput");
    int window = CreateWindow(title, 100, 100, 300, 200, 0, 0);
    _qxStrRelease(title);
    int panel = CreatePanel(0, 0, 300, 200, window, 0);
    QXString* caption = text("Press");
    int button = CreateButton(caption, 150, 10, 100, 40, panel, 1);
    _qxStrRelease(caption);
    ActivateGadget(panel);
    QXString* ready = text("ready");
    WriteLine(out, ready);
    _qxStrRelease(ready);

    for (;;) {
        int id = WaitEvent(20000);
        if (id == 0) break;
        QXString* line = Hex(id);
        appendInt(&line, EventData());
        appendInt(&line, EventX());
        appendInt(&line, EventY());
        appendInt(&line, EventZ());
        int source = EventSource();
        append(&line, text(source == window ? " window" : source == panel ? " panel" : source == button ? " button" : " "));
        if (source != window && source != panel && source != button) append(&line, _qxStrFromInt(source));
        WriteLine(out, line);
        _qxStrRelease(line);
        if (id == 0x401 && source == button) break;
    }
    CloseFile(out);
}
