/* One control of each kind in a frameless window, for a screenshot: cell
   (column c, row r) of 130 x 80 pixels holds its control at (15, 15) inside
   the cell, 100 x 50 (the tool bar inside a panel of that shape). The window
   stays up about two seconds. */
#include "qxprog.h"
#include "qxtest.h"

static int cellX(int i) { return (i % 5) * 130 + 15; }
static int cellY(int i) { return (i / 5) * 80 + 15; }

void qxmain(void) {
    QXString* title = text("Controls");
    QXString* label = text("Label");
    QXString* push = text("Button");
    QXString* none = text("");
    int w = CreateWindow(title, 60, 60, 650, 240, 0, 0);
    int i = 0;
    CreateLabel(label, cellX(i), cellY(i), 100, 50, w, 1), ++i;
    CreateButton(push, cellX(i), cellY(i), 100, 50, w, 1), ++i;
    CreateTextField(cellX(i), cellY(i), 100, 50, w, 0), ++i;
    CreateSlider(cellX(i), cellY(i), 100, 50, w, 1), ++i;
    CreateProgBar(cellX(i), cellY(i), 100, 50, w, 0), ++i;
    CreateComboBox(cellX(i), cellY(i), 100, 50, w, 0), ++i;
    CreateListBox(cellX(i), cellY(i), 100, 50, w, 0), ++i;
    CreateTreeView(cellX(i), cellY(i), 100, 50, w, 0), ++i;
    CreateTextArea(cellX(i), cellY(i), 100, 50, w, 0), ++i;
    CreateTabber(cellX(i), cellY(i), 100, 50, w, 0), ++i;
    CreatePanel(cellX(i), cellY(i), 100, 50, w, 1), ++i;
    CreateHtmlView(cellX(i), cellY(i), 100, 50, w, 0), ++i;
    /* A tool bar places itself along the top of its parent: here a panel. */
    int holder = CreatePanel(cellX(i), cellY(i), 100, 50, w, 0);
    CreateToolBar(none, 0, 0, 100, 50, holder, 0), ++i;
    _qxStrRelease(title);
    _qxStrRelease(label);
    _qxStrRelease(push);
    _qxStrRelease(none);
    for (int k = 0; k < 20; ++k) WaitEvent(100);
}
