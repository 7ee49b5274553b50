// Windows: UpdateWindowMenu on a 200-item menu tree against building and
// setting the same native menu bar with bare Win32 calls; and SetStatusText
// against sending the status bar its text directly. Both as ratios measured
// in this one process.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/QXString.h"
#include "events/QueFilter.h"
#include "events/win32/Win32CatchFilter.h"
#include "events/win32/Win32EventDriver.h"
#include "gui/win32/Win32GuiDriver.h"
#include "gui/win32/Win32Window.h"
#include "runtime/QXModule.h"
#include "runtime/QXRegistry.h"

namespace {
constexpr int kMenus = 10, kItemsPerMenu = 19;  // 10 + 190 = 200 items

// The same bar as the tree below, built directly.
HMENU bareMenuBar(const std::vector<std::string>& labels) {
    HMENU bar = CreateMenu();
    for (int m = 0; m < kMenus; ++m) {
        HMENU popup = CreatePopupMenu();
        for (int i = 0; i < kItemsPerMenu; ++i)
            AppendMenuA(popup, MF_STRING | (i % 5 == 0 ? MF_CHECKED : 0), 1000 + m * 100 + i,
                        labels[m * kItemsPerMenu + i].c_str());
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "Menu");
    }
    return bar;
}
// The bar on `frame` has every menu and item of the tree, checks in place.
bool sameBar(HWND frame, const std::vector<std::string>& labels) {
    HMENU bar = GetMenu(frame);
    if (GetMenuItemCount(bar) != kMenus) return false;
    for (int m = 0; m < kMenus; ++m) {
        HMENU popup = GetSubMenu(bar, m);
        if (GetMenuItemCount(popup) != kItemsPerMenu) return false;
        for (int i = 0; i < kItemsPerMenu; ++i) {
            char text[64] = {};
            GetMenuStringA(popup, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            const bool checked = (GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0;
            if (labels[m * kItemsPerMenu + i] != text || checked != (i % 5 == 0)) return false;
        }
    }
    return true;
}
}  // namespace

int main() {
    // As a program starts: every driver subsystem has its default configuration
    // (the GUI driver starts the screen's).
    moduleList().selectDefaultConfigs();
    startModule(&theWin32EventDriver);
    startModule(&theWin32CatchFilter);
    startModule(&theQueFilter);
    startModule(&theWin32GuiDriver);
    auto createWindow =
        commandAt<int(QXCALL*)(QXString*, int, int, int, int, int, int)>("%CreateWindow$text%x%y%width%height%group=0%style=15");
    auto windowMenu = commandAt<int(QXCALL*)(int)>("%WindowMenu%window");
    auto createMenu = commandAt<int(QXCALL*)(QXString*, int, int)>("%CreateMenu$text%menu_id%parent_menu");
    auto checkMenu = commandAt<void(QXCALL*)(int)>("CheckMenu%menu");
    auto updateMenu = commandAt<void(QXCALL*)(int)>("UpdateWindowMenu%window");
    auto setStatusText = commandAt<int(QXCALL*)(int, QXString*)>("%SetStatusText%window$text");
    auto waitEvent = commandAt<int(QXCALL*)(int)>("%WaitEvent%timeout=-1");
    auto freeGadget = commandAt<void(QXCALL*)(int)>("FreeGadget%gadget");

    QXString* title = newString("bench");
    const int window = createWindow(title, 0, 0, 400, 300, 0, 15);
    std::vector<std::string> labels;
    QXString* menuText = newString("Menu");
    for (int m = 0; m < kMenus; ++m) {
        const int menu = createMenu(menuText, 0, windowMenu(window));
        for (int i = 0; i < kItemsPerMenu; ++i) {
            labels.push_back("Item " + std::to_string(m * kItemsPerMenu + i));
            QXString* label = newString(labels.back().c_str());
            const int item = createMenu(label, 1000 + m * 100 + i, menu);
            release(label);
            if (i % 5 == 0) checkMenu(item);
        }
    }
    HWND frame = reinterpret_cast<Win32Window*>(window)->frame();

    constexpr int kUpdates = 200;
    double start = now();
    for (int i = 0; i < kUpdates; ++i) updateMenu(window);
    const double runtime = now() - start;
    const bool ourBar = sameBar(frame, labels);
    start = now();
    for (int i = 0; i < kUpdates; ++i) {
        HMENU old = GetMenu(frame);
        SetMenu(frame, bareMenuBar(labels));
        DestroyMenu(old);
    }
    const double bare = now() - start;
    costFigure("UpdateWindowMenu, 200 items", runtime, bare, "SetMenu of a bar built with bare calls", 0,
               ourBar && sameBar(frame, labels));

    constexpr int kTexts = 10000;
    QXString* status = newString("Status text of a usual length");
    HWND bar = reinterpret_cast<Win32Window*>(window)->statusBar();
    start = now();
    for (int i = 0; i < kTexts; ++i) setStatusText(window, status);
    const double statusRuntime = now() - start;
    start = now();
    for (int i = 0; i < kTexts; ++i) SendMessageA(bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(stringCText(status)));
    const double statusBare = now() - start;
    char shown[64] = {};
    SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(shown));
    costFigure("SetStatusText", statusRuntime, statusBare, "SB_SETTEXT sent directly", 0,
               std::string(shown) == stringCText(status));

    while (waitEvent(0) != 0) {}
    freeGadget(window);
    release(status);
    release(menuText);
    release(title);
    stopModule(&theWin32GuiDriver);
    stopModule(&theQueFilter);
    stopModule(&theWin32CatchFilter);
    stopModule(&theWin32EventDriver);
    return benchStatus();
}
