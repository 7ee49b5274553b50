#include "gui/win32/Win32GuiDriver.h"

#include <windows.h>
#include <commctrl.h>

#include "events/win32/Win32FontDriver.h"
#include "gui/win32/Win32Gadgets.h"
#include "gui/win32/Win32Panel.h"
#include "gui/win32/Win32Window.h"

namespace {
// List view, tree view, bars, tab, up-down, progress, hot key, animate and
// extended combo box classes.
constexpr DWORD kControlClasses = 0x2FF;
constexpr int kDefaultFontPixelHeight = 12;
}  // namespace

Win32GuiDriver::Win32GuiDriver() { registerModule("Win32GuiDriver", "Gui", "Native"); }

QX_MODULE_INSTANCE(Win32GuiDriver, 20);

bool Win32GuiDriver::startup() {
    startSubsystem("Screen");
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), kControlClasses};
    InitCommonControlsEx(&controls);

    LOGFONTA description{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof description, &description);
    description.lfHeight = -kDefaultFontPixelHeight;
    description.lfWidth = 0;
    defaultFont_ = theWin32FontDriver.fontFromDescription(description);
    addModuleResource(defaultFont_);

    desktop_ = new Win32Desktop;
    addModuleResource(desktop_);
    setGuiDriver(this);
    return true;
}

void Win32GuiDriver::shutdown() {
    // The module's resources (font, desktop, windows left open) are gone by now.
    if (guiDriver() == this) setGuiDriver(nullptr);
    defaultFont_ = nullptr;
    desktop_ = nullptr;
}

QXGroup* Win32GuiDriver::desktop() { return desktop_; }

template <class Gadget> QXGadget* Win32GuiDriver::make(const char* kind, QXGroup* group, int style) {
    auto* gadget = new Gadget(group, style);
    if (!gadget->create()) {
        // Nothing may live on without its window.
        release(gadget);
        runtimeError("Unable to create %s", kind);
    }
    gadget->setFont(defaultFont_);
    return gadget;
}

QXGadget* Win32GuiDriver::createLabel(QXGroup* g, int s) { return make<Win32Label>("label", g, s); }
QXGadget* Win32GuiDriver::createButton(QXGroup* g, int s) { return make<Win32Button>("button", g, s); }
QXGadget* Win32GuiDriver::createTextField(QXGroup* g, int s) { return make<Win32TextField>("textfield", g, s); }
QXGadget* Win32GuiDriver::createSlider(QXGroup* g, int s) { return make<Win32Slider>("slider", g, s); }
QXGadget* Win32GuiDriver::createProgBar(QXGroup* g, int s) { return make<Win32ProgBar>("progbar", g, s); }
QXGadget* Win32GuiDriver::createComboBox(QXGroup* g, int s) { return make<Win32ComboBox>("combobox", g, s); }
QXGadget* Win32GuiDriver::createListBox(QXGroup* g, int s) { return make<Win32ListBox>("listbox", g, s); }
QXGadget* Win32GuiDriver::createTreeView(QXGroup* g, int s) { return make<Win32TreeView>("treeview", g, s); }
QXGadget* Win32GuiDriver::createTextArea(QXGroup* g, int s) { return make<Win32TextArea>("textarea", g, s); }
QXGadget* Win32GuiDriver::createToolBar(QXGroup* g, int s) { return make<Win32ToolBar>("toolbar", g, s); }
QXGadget* Win32GuiDriver::createHtmlView(QXGroup* g, int s) { return make<Win32HtmlView>("htmlview", g, s); }
QXGadget* Win32GuiDriver::createTabber(QXGroup* g, int s) { return make<Win32Tabber>("tabber", g, s); }
QXGadget* Win32GuiDriver::createPanel(QXGroup* g, int s) { return make<Win32Panel>("panel", g, s); }
QXGadget* Win32GuiDriver::createSplitter(QXGroup* g, int s) { return make<Win32Splitter>("splitter", g, s); }

QXGadget* Win32GuiDriver::createWindow(QXGroup* group, int style) {
    QXGadget* window = make<Win32Window>("window", group, style);
    if (!group) addModuleResource(window);
    return window;
}
