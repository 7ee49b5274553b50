/* Three panels side by side in a frameless 300 x 100 window: red, the
   picture named on the command line tiled, and green kept after loading a
   file that does not exist. Stays up long enough for a screenshot. */
#include "qxprog.h"
#include "qxtest.h"

void qxmain(void) {
    QXString* title = text("QXPanels");
    int window = CreateWindow(title, 20, 20, 300, 100, 0, 0);
    _qxStrRelease(title);
    int red = CreatePanel(0, 0, 100, 100, window, 0);
    int tiled = CreatePanel(100, 0, 100, 100, window, 0);
    int green = CreatePanel(200, 0, 100, 100, window, 0);
    SetPanelColor(red, 255, 0, 0);
    SetPanelColor(tiled, 0, 0, 255);
    QXString* line = CommandLine();
    QXString* picture = Trim(line);
    SetPanelImage(tiled, picture);
    _qxStrRelease(picture);
    _qxStrRelease(line);
    SetPanelColor(green, 0x100, 0x1FF, 0x200); /* only the low bytes count */
    QXString* missing = text("no-such-picture.bmp");
    SetPanelImage(green, missing);
    _qxStrRelease(missing);
    for (int i = 0; i < 15; ++i) {
        while (WaitEvent(0)) {}
        Delay(100);
    }
    FreeGadget(window);
}
