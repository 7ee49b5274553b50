// The commands of windows, their menus and panels.

#include "core/QXString.h"
#include "graphics/picture/QXPicture.h"
#include "graphics/QXPixmap.h"
#include "gui/QXGadget.h"
#include "gui/QXMenu.h"
#include "runtime/QXRegistry.h"

namespace {
QXWindow& windowOf(int handle) { return *checkHandle<QXWindow>(handle, "Window Gadget"); }
QXMenu& menuOf(int handle) { return *checkHandle<QXMenu>(handle, "Menu"); }
QXPanel& panelOf(int handle) { return *checkHandle<QXPanel>(handle, "Panel Gadget"); }

int QXCALL ActiveWindow() { return handleOf(activeWindow()); }
void QXCALL ActivateWindow(int window) { windowOf(window).activateWindow(); }
void QXCALL UpdateWindowMenu(int window) { windowOf(window).updateMenu(); }

// The result carries nothing: always 0.
int QXCALL SetStatusText(int window, QXString* text) {
    windowOf(window).setStatusText(text);
    return 0;
}

void QXCALL SetMinWindowSize(int window, int width, int height) { windowOf(window).setMinimumSize(width, height); }
void QXCALL MinimizeWindow(int window) { windowOf(window).minimize(); }
void QXCALL MaximizeWindow(int window) { windowOf(window).maximize(); }
void QXCALL RestoreWindow(int window) { windowOf(window).restore(); }
int QXCALL WindowMinimized(int window) { return windowOf(window).minimized() ? 1 : 0; }
int QXCALL WindowMaximized(int window) { return windowOf(window).maximized() ? 1 : 0; }
int QXCALL WindowMenu(int window) { return handleOf(windowOf(window).rootMenu()); }

int QXCALL CreateMenu(QXString* text, int id, int parent) {
    QXMenu& parentMenu = menuOf(parent);
    auto* menu = new QXMenu(text, id);
    parentMenu.append(menu);
    return handleOf(menu);
}

void QXCALL SetMenuText(int menu, QXString* text) { menuOf(menu).setText(text); }
void QXCALL CheckMenu(int menu) { menuOf(menu).checked = true; }
void QXCALL UncheckMenu(int menu) { menuOf(menu).checked = false; }
void QXCALL EnableMenu(int menu) { menuOf(menu).enabled = true; }
void QXCALL DisableMenu(int menu) { menuOf(menu).enabled = false; }
int QXCALL MenuChecked(int menu) { return menuOf(menu).checked ? 1 : 0; }
int QXCALL MenuEnabled(int menu) { return menuOf(menu).enabled ? 1 : 0; }

QXString* QXCALL MenuText(int menu) {
    QXString* text = menuOf(menu).text;
    retain(text);
    return text;
}

void QXCALL SetPanelColor(int panel, int red, int green, int blue) {
    panelOf(panel).setBackgroundColour((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}

// A file that does not load, or a picture the panel cannot take, changes nothing.
void QXCALL SetPanelImage(int panel, QXString* file) {
    QXPanel& target = panelOf(panel);
    QXPixmap* picture = loadPicture(stringCText(file));
    if (!picture) return;
    target.setBackgroundImage(picture);
    release(picture);
}

const QXSymbol commands[] = {
    QX_COMMAND("%ActiveWindow", ActiveWindow),
    QX_COMMAND("ActivateWindow%window", ActivateWindow),
    QX_COMMAND("UpdateWindowMenu%window", UpdateWindowMenu),
    QX_COMMAND("%SetStatusText%window$text", SetStatusText),
    QX_COMMAND("SetMinWindowSize%window%width=-1%height=-1", SetMinWindowSize),
    QX_COMMAND("MinimizeWindow%window", MinimizeWindow),
    QX_COMMAND("MaximizeWindow%window", MaximizeWindow),
    QX_COMMAND("RestoreWindow%window", RestoreWindow),
    QX_COMMAND("%WindowMinimized%window", WindowMinimized),
    QX_COMMAND("%WindowMaximized%window", WindowMaximized),
    QX_COMMAND("%WindowMenu%window", WindowMenu),
    QX_COMMAND("%CreateMenu$text%menu_id%parent_menu", CreateMenu),
    QX_COMMAND("SetMenuText%menu$text", SetMenuText),
    QX_COMMAND("CheckMenu%menu", CheckMenu),
    QX_COMMAND("UncheckMenu%menu", UncheckMenu),
    QX_COMMAND("EnableMenu%menu", EnableMenu),
    QX_COMMAND("DisableMenu%menu", DisableMenu),
    QX_COMMAND("%MenuChecked%menu", MenuChecked),
    QX_COMMAND("%MenuEnabled%menu", MenuEnabled),
    QX_COMMAND("$MenuText%menu", MenuText),
    QX_COMMAND("SetPanelColor%panel%red%green%blue", SetPanelColor),
    QX_COMMAND("SetPanelImage%panel$file", SetPanelImage),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Gui, commands);
}  // namespace
