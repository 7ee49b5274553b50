// The commands every gadget kind shares: creation, freeing, shape, layout,
// text, font, visibility and the parent queries.

#include "core/QXString.h"
#include "events/QXFont.h"
#include "gui/QXGadget.h"
#include "gui/QXGuiDriver.h"
#include "gui/QXIconStrip.h"
#include "runtime/QXRegistry.h"

namespace {
QXGuiDriver& driver() {
    QXGuiDriver* running = guiDriver();
    if (!running) runtimeError("GUI driver not running");
    return *running;
}

QXGadget& gadgetOf(int handle) { return *checkHandle<QXGadget>(handle, "Gadget"); }
QXGroup& groupOf(int handle) { return *checkHandle<QXGroup>(handle, "Group Gadget"); }

using CreateFn = QXGadget* (QXGuiDriver::*)(QXGroup*, int);

// The steps every creation command takes. `text` is null for the kinds
// without a text argument.
QXGadget& createGadget(CreateFn create, int group, int style, int x, int y, int width, int height,
                       QXString* text = nullptr, bool topLevelAllowed = false) {
    QXGroup* parent = (group == 0 && topLevelAllowed) ? nullptr : &groupOf(group);
    QXGadget& gadget = *(driver().*create)(parent, style);
    gadget.setShape(x, y, width, height);
    if (text) gadget.setText(text);
    gadget.setVisible(true);
    gadget.recordLayoutReference();
    return gadget;
}

// An empty text argument still counts as a text step.
QXString* textArgument(QXString* text) { return text ? text : sharedStrings().empty; }

int QXCALL CreateLabel(QXString* text, int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createLabel, group, style, x, y, width, height, textArgument(text)));
}
int QXCALL CreateButton(QXString* text, int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createButton, group, style, x, y, width, height, textArgument(text)));
}
int QXCALL CreateTextField(int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createTextField, group, style, x, y, width, height));
}
int QXCALL CreateSlider(int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createSlider, group, style, x, y, width, height));
}
int QXCALL CreateProgBar(int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createProgBar, group, style, x, y, width, height));
}
int QXCALL CreateComboBox(int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createComboBox, group, style, x, y, width, height));
}
int QXCALL CreateListBox(int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createListBox, group, style, x, y, width, height));
}
int QXCALL CreateTreeView(int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createTreeView, group, style, x, y, width, height));
}
int QXCALL CreateTextArea(int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createTextArea, group, style, x, y, width, height));
}
int QXCALL CreateHtmlView(int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createHtmlView, group, style, x, y, width, height));
}
int QXCALL CreateToolBar(QXString* icons, int x, int y, int width, int height, int group, int style) {
    QXGadget& bar = createGadget(&QXGuiDriver::createToolBar, group, style, x, y, width, height);
    // The strip is the tool bar's alone: the GUI driver does not own it, or
    // its shutdown would drop the tool bar's reference under a tool bar that
    // outlives it (one a running handler still holds, or a screen owns).
    if (QXIconStrip* strip = loadIconStripFile(icons, IconStripOwner::Caller)) {
        bar.setIconStrip(strip);
        release(strip);  // the tool bar holds the only reference
    }
    return handleOf(&bar);
}
int QXCALL CreateWindow(QXString* text, int x, int y, int width, int height, int group, int style) {
    return handleOf(
        &createGadget(&QXGuiDriver::createWindow, group, style, x, y, width, height, textArgument(text), true));
}
// A tabber or panel needs a parent's native window to live in: group 0 is
// rejected like any other invalid group.
int QXCALL CreateTabber(int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createTabber, group, style, x, y, width, height));
}
int QXCALL CreatePanel(int x, int y, int width, int height, int group, int style) {
    return handleOf(&createGadget(&QXGuiDriver::createPanel, group, style, x, y, width, height));
}

void QXCALL FreeGadget(int gadget) {
    if (gadget == 0) return;
    QXGadget& freed = gadgetOf(gadget);
    // The desktop belongs to the driver; the program holds no reference to drop.
    if (dynamic_cast<QXDesktop*>(&freed)) return;
    release(&freed);
}

void QXCALL SetGadgetShape(int gadget, int x, int y, int width, int height) {
    QXGadget& g = gadgetOf(gadget);
    g.setShape(x, y, width, height);
    g.recordLayoutReference();
}

void QXCALL SetGadgetLayout(int gadget, int left, int right, int top, int bottom) {
    QXGadget& g = gadgetOf(gadget);
    g.setLayoutCodes(left, right, top, bottom);
    g.recordLayoutReference();
}

void QXCALL SetGadgetText(int gadget, QXString* text) { gadgetOf(gadget).setText(text); }

void QXCALL SetGadgetFont(int gadget, int font) {
    QXGadget& g = gadgetOf(gadget);
    g.setFont(checkHandle<QXFont>(font, "Font"));
}

void QXCALL ShowGadget(int gadget) { gadgetOf(gadget).setVisible(true); }
void QXCALL HideGadget(int gadget) { gadgetOf(gadget).setVisible(false); }
void QXCALL EnableGadget(int gadget) { gadgetOf(gadget).setEnabled(true); }
void QXCALL DisableGadget(int gadget) { gadgetOf(gadget).setEnabled(false); }
void QXCALL ActivateGadget(int gadget) { gadgetOf(gadget).activate(); }

int QXCALL GadgetX(int gadget) { return gadgetOf(gadget).shape().x; }
int QXCALL GadgetY(int gadget) { return gadgetOf(gadget).shape().y; }
int QXCALL GadgetWidth(int gadget) { return gadgetOf(gadget).shape().width; }
int QXCALL GadgetHeight(int gadget) { return gadgetOf(gadget).shape().height; }

QXString* QXCALL GadgetText(int gadget) {
    QXString* text = gadgetOf(gadget).text();
    retain(text);
    return text;
}

int QXCALL GadgetFont(int gadget) { return handleOf(gadgetOf(gadget).font()); }
int QXCALL GadgetGroup(int gadget) { return handleOf(gadgetOf(gadget).group()); }
int QXCALL ClientWidth(int group) { return groupOf(group).clientWidth(); }
int QXCALL ClientHeight(int group) { return groupOf(group).clientHeight(); }
int QXCALL Desktop() { return handleOf(driver().desktop()); }

const QXSymbol commands[] = {
    QX_COMMAND("%CreateLabel$text%x%y%width%height%group%style=0", CreateLabel),
    QX_COMMAND("%CreateButton$text%x%y%width%height%group%style=1", CreateButton),
    QX_COMMAND("%CreateTextField%x%y%width%height%group%style=0", CreateTextField),
    QX_COMMAND("%CreateSlider%x%y%width%height%group%style=1", CreateSlider),
    QX_COMMAND("%CreateProgBar%x%y%width%height%group%style=0", CreateProgBar),
    QX_COMMAND("%CreateComboBox%x%y%width%height%group%style=0", CreateComboBox),
    QX_COMMAND("%CreateListBox%x%y%width%height%group%style=0", CreateListBox),
    QX_COMMAND("%CreateTreeView%x%y%width%height%group%style=0", CreateTreeView),
    QX_COMMAND("%CreateTextArea%x%y%width%height%group%style=0", CreateTextArea),
    QX_COMMAND("%CreateToolBar$icons%x%y%width%height%group%style=0", CreateToolBar),
    QX_COMMAND("%CreateHtmlView%x%y%width%height%group%style=0", CreateHtmlView),
    QX_COMMAND("%CreateWindow$text%x%y%width%height%group=0%style=15", CreateWindow),
    QX_COMMAND("%CreateTabber%x%y%width%height%group%style=0", CreateTabber),
    QX_COMMAND("%CreatePanel%x%y%width%height%group%style=0", CreatePanel),
    QX_COMMAND("FreeGadget%gadget", FreeGadget),
    QX_COMMAND("SetGadgetShape%gadget%x%y%width%height", SetGadgetShape),
    QX_COMMAND("SetGadgetLayout%gadget%left%right%top%bottom", SetGadgetLayout),
    QX_COMMAND("SetGadgetText%gadget$text", SetGadgetText),
    QX_COMMAND("SetGadgetFont%gadget%font", SetGadgetFont),
    QX_COMMAND("ShowGadget%gadget", ShowGadget),
    QX_COMMAND("HideGadget%gadget", HideGadget),
    QX_COMMAND("EnableGadget%gadget", EnableGadget),
    QX_COMMAND("DisableGadget%gadget", DisableGadget),
    QX_COMMAND("ActivateGadget%gadget", ActivateGadget),
    QX_COMMAND("%GadgetX%gadget", GadgetX),
    QX_COMMAND("%GadgetY%gadget", GadgetY),
    QX_COMMAND("%GadgetWidth%gadget", GadgetWidth),
    QX_COMMAND("%GadgetHeight%gadget", GadgetHeight),
    QX_COMMAND("$GadgetText%gadget", GadgetText),
    QX_COMMAND("%GadgetFont%gadget", GadgetFont),
    QX_COMMAND("%GadgetGroup%gadget", GadgetGroup),
    QX_COMMAND("%ClientWidth%group", ClientWidth),
    QX_COMMAND("%ClientHeight%group", ClientHeight),
    QX_COMMAND("%Desktop", Desktop),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Gui, commands);
}  // namespace
