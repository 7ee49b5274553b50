// The item commands of combo boxes, list boxes and tabbers; icon strips and
// tool bars; the commands of buttons, sliders, progress bars and text fields.

#include <cmath>

#include "core/QXString.h"
#include "graphics/QXPixmap.h"
#include "graphics/picture/QXPicture.h"
#include "gui/QXGadget.h"
#include "gui/QXGuiDriver.h"
#include "gui/QXIconStrip.h"
#include "runtime/QXRegistry.h"

QXString* QXTextField::currentText() {
    QXString* held = text();
    retain(held);
    return held;
}

QXIconStrip* loadIconStripFile(QXString* file, IconStripOwner owner) {
    QXGuiDriver* driver = guiDriver();
    if (!driver || !file) return nullptr;
    QXPixmap* pixmap = loadPicture(stringCText(file));
    if (!pixmap) return nullptr;
    QXIconStrip* strip = driver->loadIconStrip(pixmap);
    release(pixmap);
    if (strip && owner == IconStripOwner::GuiDriver) driver->addModuleResource(strip);
    return strip;
}

namespace {
QXGadget& gadgetOf(int handle) { return *checkHandle<QXGadget>(handle, "Gadget"); }

// Combo box, list box, then tabber; any other kind stops the program.
QXItemList& itemsOf(int handle) {
    QXGadget& gadget = gadgetOf(handle);
    if (auto* combo = dynamic_cast<QXComboBox*>(&gadget)) return *combo;
    if (auto* list = dynamic_cast<QXListBox*>(&gadget)) return *list;
    if (auto* tabber = dynamic_cast<QXTabber*>(&gadget)) return *tabber;
    runtimeError("Invalid Gadget type");
}

void QXCALL ClearGadgetItems(int gadget) { itemsOf(gadget).clearItems(); }

void QXCALL AddGadgetItem(int gadget, QXString* item, int select, int icon) {
    QXItemList& list = itemsOf(gadget);
    list.addItem(item, icon);
    if (select != 0) list.selectItem(list.items().count() - 1);
}

void QXCALL InsertGadgetItem(int gadget, int index, QXString* item, int icon) {
    itemsOf(gadget).insertItem(index, item, icon);
}

void QXCALL ModifyGadgetItem(int gadget, int index, QXString* item, int icon) {
    itemsOf(gadget).modifyItem(index, item, icon);
}

void QXCALL RemoveGadgetItem(int gadget, int index) { itemsOf(gadget).removeItem(index); }
void QXCALL SelectGadgetItem(int gadget, int index) { itemsOf(gadget).selectItem(index); }
QXString* QXCALL GadgetItemText(int gadget, int index) { return itemsOf(gadget).items().text(index); }
int QXCALL CountGadgetItems(int gadget) { return itemsOf(gadget).items().count(); }
int QXCALL SelectedGadgetItem(int gadget) { return itemsOf(gadget).items().selected(); }

int QXCALL LoadIconStrip(QXString* file) { return handleOf(loadIconStripFile(file, IconStripOwner::GuiDriver)); }

// The program's reference is the one the GUI driver's module would drop when
// it stops: gadgets that still show the strip keep it alive past both.
void QXCALL FreeIconStrip(int strip) {
    QXIconStrip* freed = checkHandle<QXIconStrip>(strip, "IconStrip");
    freed->leaveOwners();
    release(freed);
}

void QXCALL SetGadgetIconStrip(int gadget, int strip) {
    QXGadget& g = gadgetOf(gadget);
    g.setIconStrip(checkHandle<QXIconStrip>(strip, "IconStrip"));
}

QXToolBar& toolBarOf(int handle) { return *checkHandle<QXToolBar>(handle, "ToolBar Gadget"); }

void QXCALL EnableToolBarItem(int toolbar, int index) { toolBarOf(toolbar).enableItem(index, true); }
void QXCALL DisableToolBarItem(int toolbar, int index) { toolBarOf(toolbar).enableItem(index, false); }
void QXCALL SetToolBarTips(int toolbar, QXString* tips) { toolBarOf(toolbar).setTips(tips); }

// Buttons and sliders share their state commands. Other kinds have no state
// to set or read: they are refused rather than reaching an unrelated operation.
void QXCALL SetGadgetState(int gadget, int state) {
    QXGadget& g = gadgetOf(gadget);
    if (auto* button = dynamic_cast<QXButton*>(&g)) return button->setState(state);
    if (auto* slider = dynamic_cast<QXSlider*>(&g)) return slider->setValue(state);
    runtimeError("Invalid Gadget type");
}

int QXCALL GadgetState(int gadget) {
    QXGadget& g = gadgetOf(gadget);
    if (auto* button = dynamic_cast<QXButton*>(&g)) return button->state();
    if (auto* slider = dynamic_cast<QXSlider*>(&g)) return slider->value();
    runtimeError("Invalid Gadget type");
}

void QXCALL SetSliderRange(int slider, int visible, int total) {
    auto* s = dynamic_cast<QXSlider*>(&gadgetOf(slider));
    if (!s) runtimeError("Invalid Gadget type");
    s->setRange(visible, total);
}

void QXCALL UpdateProgBar(int progbar, float progress) {
    checkHandle<QXProgBar>(progbar, "ProgBar Gadget")->setProgress(progress);
}

QXString* QXCALL TextFieldText(int textfield) {
    return checkHandle<QXTextField>(textfield, "TextField Gadget")->currentText();
}

const QXSymbol commands[] = {
    QX_COMMAND("ClearGadgetItems%gadget", ClearGadgetItems),
    QX_COMMAND("AddGadgetItem%gadget$item%select=0%icon=-1", AddGadgetItem),
    QX_COMMAND("InsertGadgetItem%gadget%index$item%icon=-1", InsertGadgetItem),
    QX_COMMAND("ModifyGadgetItem%gadget%index$item%icon=-1", ModifyGadgetItem),
    QX_COMMAND("RemoveGadgetItem%gadget%index", RemoveGadgetItem),
    QX_COMMAND("SelectGadgetItem%gadget%index", SelectGadgetItem),
    QX_COMMAND("$GadgetItemText%gadget%index", GadgetItemText),
    QX_COMMAND("%CountGadgetItems%gadget", CountGadgetItems),
    QX_COMMAND("%SelectedGadgetItem%gadget", SelectedGadgetItem),
    QX_COMMAND("%LoadIconStrip$file", LoadIconStrip),
    QX_COMMAND("FreeIconStrip%icon_strip", FreeIconStrip),
    QX_COMMAND("SetGadgetIconStrip%gadget%icon_strip", SetGadgetIconStrip),
    QX_COMMAND("EnableToolBarItem%toolbar%index", EnableToolBarItem),
    QX_COMMAND("DisableToolBarItem%toolbar%index", DisableToolBarItem),
    QX_COMMAND("SetToolBarTips%toolbar$tips", SetToolBarTips),
    QX_COMMAND("SetButtonState%button%state", SetGadgetState),
    QX_COMMAND("%ButtonState%button", GadgetState),
    QX_COMMAND("SetSliderRange%slider%visible%total", SetSliderRange),
    QX_COMMAND("SetSliderValue%slider%value", SetGadgetState),
    QX_COMMAND("%SliderValue%slider", GadgetState),
    QX_COMMAND("UpdateProgBar%progbar#progress", UpdateProgBar),
    QX_COMMAND("$TextFieldText%textfield", TextFieldText),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Gui, commands);
}  // namespace
