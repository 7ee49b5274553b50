// The native gadget binding under Wine: gadgets made by the commands, real
// messages posted to their windows, and the exact events the program takes.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/QXString.h"
#include "events/QXEvent.h"
#include "events/QXEventDriver.h"
#include "events/QueFilter.h"
#include "events/win32/Win32CatchFilter.h"
#include "events/win32/Win32EventDriver.h"
#include "events/win32/Win32Font.h"
#include "graphics/ddraw/Win32DDScreen.h"
#include "gui/QXGadget.h"
#include "gui/QXGuiDriver.h"
#include "gui/win32/Win32Gadgets.h"
#include "gui/win32/Win32GuiDriver.h"
#include "gui/win32/Win32Hwnd.h"
#include "runtime/QXModule.h"

namespace {
struct Event {
    int id, data, x, y, z, source;
    friend bool operator==(const Event&, const Event&) = default;
};
std::ostream& operator<<(std::ostream& out, const Event& e) {
    return out << std::hex << "{0x" << e.id << std::dec << ", " << e.data << ", " << e.x << ", " << e.y << ", " << e.z
               << ", " << e.source << "}";
}
using Events = std::vector<Event>;

struct Commands {
    using Create7 = int(QXCALL*)(QXString*, int, int, int, int, int, int);
    using Create6 = int(QXCALL*)(int, int, int, int, int, int);
    Create7 createWindow = command<Create7>("%CreateWindow$text%x%y%width%height%group=0%style=15");
    Create7 createButton = command<Create7>("%CreateButton$text%x%y%width%height%group%style=1");
    Create7 createLabel = command<Create7>("%CreateLabel$text%x%y%width%height%group%style=0");
    Create7 createToolBar = command<Create7>("%CreateToolBar$icons%x%y%width%height%group%style=0");
    Create6 createPanel = command<Create6>("%CreatePanel%x%y%width%height%group%style=0");
    Create6 createTextField = command<Create6>("%CreateTextField%x%y%width%height%group%style=0");
    Create6 createSlider = command<Create6>("%CreateSlider%x%y%width%height%group%style=1");
    Create6 createProgBar = command<Create6>("%CreateProgBar%x%y%width%height%group%style=0");
    Create6 createComboBox = command<Create6>("%CreateComboBox%x%y%width%height%group%style=0");
    Create6 createListBox = command<Create6>("%CreateListBox%x%y%width%height%group%style=0");
    Create6 createTreeView = command<Create6>("%CreateTreeView%x%y%width%height%group%style=0");
    Create6 createTextArea = command<Create6>("%CreateTextArea%x%y%width%height%group%style=0");
    Create6 createHtmlView = command<Create6>("%CreateHtmlView%x%y%width%height%group%style=0");
    Create6 createTabber = command<Create6>("%CreateTabber%x%y%width%height%group%style=0");
    void(QXCALL* freeGadget)(int) = command<void(QXCALL*)(int)>("FreeGadget%gadget");
    void(QXCALL* setText)(int, QXString*) = command<void(QXCALL*)(int, QXString*)>("SetGadgetText%gadget$text");
    void(QXCALL* hide)(int) = command<void(QXCALL*)(int)>("HideGadget%gadget");
    void(QXCALL* disable)(int) = command<void(QXCALL*)(int)>("DisableGadget%gadget");
    int(QXCALL* queryObject)(int, int) = command<int(QXCALL*)(int, int)>("%QueryObject%object%query_id");
    int(QXCALL* clientWidth)(int) = command<int(QXCALL*)(int)>("%ClientWidth%group");
    int(QXCALL* gadgetWidth)(int) = command<int(QXCALL*)(int)>("%GadgetWidth%gadget");
    int(QXCALL* gadgetHeight)(int) = command<int(QXCALL*)(int)>("%GadgetHeight%gadget");
    int(QXCALL* gadgetFont)(int) = command<int(QXCALL*)(int)>("%GadgetFont%gadget");
    int(QXCALL* desktop)() = command<int(QXCALL*)()>("%Desktop");
    int(QXCALL* waitEvent)(int) = command<int(QXCALL*)(int)>("%WaitEvent%timeout=-1");
    int(QXCALL* eventData)() = command<int(QXCALL*)()>("%EventData");
    int(QXCALL* eventX)() = command<int(QXCALL*)()>("%EventX");
    int(QXCALL* eventY)() = command<int(QXCALL*)()>("%EventY");
    int(QXCALL* eventZ)() = command<int(QXCALL*)()>("%EventZ");
    int(QXCALL* eventSource)() = command<int(QXCALL*)()>("%EventSource");
    void(QXCALL* hotKeyEvent)(int, int, int, int, int, int, int, int) =
        command<void(QXCALL*)(int, int, int, int, int, int, int, int)>(
            "HotKeyEvent%rawkey%modifier%ev_id%ev_data=0%ev_x=0%ev_y=0%ev_z=0%ev_source=0");
};

template <class T> T* object(int handle) { return reinterpret_cast<T*>(static_cast<std::uintptr_t>(handle)); }
HWND hwndOf(int gadget) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(object<QXGadget>(gadget)->query(1))); }

struct Text {
    explicit Text(const char* s) : string(newString(s)) {}
    ~Text() { release(string); }
    operator QXString*() const { return string; }
    QXString* string;
};

std::string classOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// Key message lParam: scan code, extended and repeat bits.
LPARAM keyParam(int scan, bool extended = false, bool repeated = false, bool up = false) {
    std::uint32_t value = 1u | (static_cast<std::uint32_t>(scan) << 16);
    if (extended) value |= 1u << 24;
    if (repeated) value |= 1u << 30;
    if (up) value |= 3u << 30;
    return static_cast<LPARAM>(value);
}
LPARAM point(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

class NativeGadgets : public testing::Test {
protected:
    void SetUp() override {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
        // The driver starts the selected screen driver, as at a program's start.
        moduleList().selectDefaultConfigs();
        ASSERT_TRUE(startModule(&theWin32EventDriver));
        ASSERT_TRUE(startModule(&theWin32CatchFilter));
        ASSERT_TRUE(startModule(&theQueFilter));
        ASSERT_TRUE(startModule(&theWin32GuiDriver));
        mapBefore = win32WindowMapSize();
        window = cmd.createWindow(Text("Test"), 20, 20, 400, 300, 0, 3);
        panel = cmd.createPanel(10, 10, 200, 150, window, 0);
        ASSERT_NE(hwndOf(window), nullptr);
        ASSERT_NE(hwndOf(panel), nullptr);
    }
    void TearDown() override {
        stopModule(&theWin32GuiDriver);
        stopModule(&theWin32DDScreenDriver);
        EXPECT_EQ(win32WindowMapSize(), mapBefore) << "the driver's end freed every window";
        stopModule(&theQueFilter);
        stopModule(&theWin32CatchFilter);
        stopModule(&theWin32EventDriver);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
        resetEventState();
    }

    // Every event that arrives within a short while, in order. Activation
    // events are left out: other programs on the display (tests run side by
    // side) take and give back the foreground at any time.
    Events takeEvents(std::size_t atLeast) {
        Events got;
        for (int tries = 0; tries < 50 && got.size() < atLeast; ++tries) {
            while (int id = cmd.waitEvent(got.size() < atLeast ? 100 : 0)) {
                if (id == EVENT_APPSUSPEND || id == EVENT_APPRESUME || id == 0x804) continue;
                got.push_back({id, cmd.eventData(), cmd.eventX(), cmd.eventY(), cmd.eventZ(), cmd.eventSource()});
            }
        }
        return got;
    }

    Commands cmd;
    std::size_t mapBefore = 0;
    int window = 0;
    int panel = 0;
};
}  // namespace

TEST_F(NativeGadgets, EveryKindGetsItsControlClass) {
    const std::vector<std::pair<int, std::string>> kinds = {
        {cmd.createLabel(Text("label"), 0, 0, 50, 20, panel, 1), "Static"},
        {cmd.createButton(Text("button"), 0, 0, 50, 20, panel, 1), "Button"},
        {cmd.createTextField(0, 0, 50, 20, panel, 1), "Edit"},
        {cmd.createSlider(0, 0, 50, 20, panel, 1), "ScrollBar"},
        {cmd.createProgBar(0, 0, 50, 20, panel, 0), "msctls_progress32"},
        {cmd.createComboBox(0, 0, 50, 20, panel, 0), "ComboBoxEx32"},
        {cmd.createListBox(0, 0, 50, 20, panel, 0), "SysListView32"},
        {cmd.createTreeView(0, 0, 50, 20, panel, 0), "SysTreeView32"},
        {cmd.createTextArea(0, 0, 50, 20, panel, 0), "RichEdit"},
        {cmd.createToolBar(Text("none.bmp"), 0, 0, 50, 20, panel, 0), "ToolbarWindow32"},
        {cmd.createHtmlView(0, 0, 50, 20, panel, 0), "ORVANE_WINDOW_CLASS"},
        {cmd.createPanel(0, 0, 50, 20, panel, 1), "ORVANE_WINDOW_CLASS"},
    };
    for (const auto& [gadget, className] : kinds) {
        HWND hwnd = hwndOf(gadget);
        ASSERT_TRUE(IsWindow(hwnd)) << className;
        // Class names compare without case (Wine's rich edit reports "RICHEDIT").
        EXPECT_EQ(lstrcmpiA(classOf(hwnd).c_str(), className.c_str()), 0) << classOf(hwnd) << " " << className;
        EXPECT_EQ(GetParent(hwnd), hwndOf(panel)) << className;
        EXPECT_TRUE(IsWindowVisible(hwnd)) << className;
        EXPECT_EQ(cmd.queryObject(gadget, 2), cmd.queryObject(gadget, 1));
        EXPECT_EQ(cmd.queryObject(gadget, 3), 0);
        // Every control starts in the driver's font.
        EXPECT_EQ(cmd.gadgetFont(gadget), handleOf(theWin32GuiDriver.defaultFont()));
        EXPECT_EQ(win32WrapperOf(hwnd)->handler(), dynamic_cast<Win32WndProc*>(object<QXGadget>(gadget)));
    }
    // The combo box keeps room for its list; the gadget keeps the height asked for.
    RECT combo{};
    GetWindowRect(hwndOf(kinds[5].first), &combo);
    EXPECT_EQ(cmd.gadgetHeight(kinds[5].first), 20);
    EXPECT_GT(combo.bottom - combo.top, 20);
    // Text, visibility and state reach the control.
    int button = kinds[1].first;
    cmd.setText(button, Text("Changed"));
    char text[32] = {};
    GetWindowTextA(hwndOf(button), text, sizeof text);
    EXPECT_STREQ(text, "Changed");
    cmd.hide(button);
    EXPECT_FALSE(IsWindowVisible(hwndOf(button)));
    cmd.disable(button);
    EXPECT_FALSE(IsWindowEnabled(hwndOf(button)));
    // The tabber's children live in its client window.
    int tabber = cmd.createTabber(0, 0, 100, 80, panel, 0);
    EXPECT_EQ(classOf(GetParent(hwndOf(tabber))), "SysTabControl32");
    EXPECT_GT(cmd.clientWidth(tabber), 0);
    EXPECT_LT(cmd.clientWidth(tabber), 100);
}

TEST_F(NativeGadgets, KeysBecomeKeyEvents) {
    HWND w = hwndOf(window);
    PostMessageA(w, WM_KEYDOWN, VK_F1, keyParam(0x3B));
    PostMessageA(w, WM_KEYDOWN, VK_F1, keyParam(0x3B, false, true));  // auto-repeat
    PostMessageA(w, WM_KEYUP, VK_F1, keyParam(0x3B, false, false, true));
    PostMessageA(w, WM_KEYDOWN, VK_UP, keyParam(0x48, true));
    // Alt goes down and up as a plain key here: a system key-up of Alt alone
    // would open the system menu.
    PostMessageA(w, WM_SYSKEYDOWN, VK_MENU, keyParam(0x38) | (1 << 29));
    PostMessageA(w, WM_SYSKEYDOWN, VK_F3, keyParam(0x3D) | (1 << 29));
    PostMessageA(w, WM_KEYUP, VK_MENU, keyParam(0x38, false, false, true));
    PostMessageA(w, WM_CHAR, 'x', keyParam(0x2D));
    const int s = window;
    EXPECT_EQ(takeEvents(11), (Events{{0x101, 0x3B, 0, 0, 0, s},
                                      {0x103, 0xF704, 0, 0, 0, s},
                                      {0x103, 0xF704, 0, 0, 0, s},
                                      {0x102, 0x3B, 0, 0, 0, s},
                                      {0x101, 0x48 + 128, 0, 0, 0, s},
                                      {0x103, 0xF700, 0, 0, 0, s},
                                      {0x101, 0x38, 0, 0, 0, s},
                                      {0x101, 0x3D, 0, 0, 0, s},
                                      {0x103, 0xF706, 0, 0, 0, s},
                                      {0x102, 0x38, 0, 0, 0, s},
                                      {0x103, 'x', 0, 0, 0, s}}));
    EXPECT_EQ(modifierSet(), 0);
}

TEST_F(NativeGadgets, AHotKeyReplacesTheKeysOwnEvents) {
    cmd.hotKeyEvent(0x3C, kModifierControl, 0x7777, 5, 6, 7, 8, 9);
    HWND w = hwndOf(window);
    PostMessageA(w, WM_KEYDOWN, VK_CONTROL, keyParam(0x1D));
    PostMessageA(w, WM_KEYDOWN, VK_F2, keyParam(0x3C));
    PostMessageA(w, WM_KEYUP, VK_CONTROL, keyParam(0x1D, false, false, true));
    PostMessageA(w, WM_KEYDOWN, VK_F2, keyParam(0x3C));
    const int s = window;
    EXPECT_EQ(takeEvents(5), (Events{{0x101, 0x1D, 0, 0, 0, s},
                                     {0x7777, 5, 6, 7, 8, 9},
                                     {0x102, 0x1D, 0, 0, 0, s},
                                     {0x101, 0x3C, 0, 0, 0, s},
                                     {0x103, 0xF705, 0, 0, 0, s}}));
}

TEST_F(NativeGadgets, ButtonsCarryPositionAndModifiers) {
    HWND p = hwndOf(panel);
    PostMessageA(p, WM_KEYDOWN, VK_SHIFT, keyParam(0x2A));
    PostMessageA(p, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, point(-5, -7));
    PostMessageA(p, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON | MK_SHIFT, point(30, 40));
    PostMessageA(p, WM_LBUTTONUP, MK_RBUTTON | MK_SHIFT, point(31, 41));
    PostMessageA(p, WM_KEYUP, VK_SHIFT, keyParam(0x2A, false, false, true));
    PostMessageA(p, WM_RBUTTONUP, 0, point(32, 42));
    PostMessageA(p, WM_MBUTTONDOWN, MK_MBUTTON, point(1, 2));
    PostMessageA(p, WM_MOUSEWHEEL, MAKEWPARAM(0, -360), point(100, 100));
    PostMessageA(p, WM_MOUSEWHEEL, MAKEWPARAM(0, 119), point(100, 100));
    // The panel reports the wheel and keeps it: default processing would
    // hand it on to the window, which would report it a second time.
    const int s = panel;
    EXPECT_EQ(takeEvents(9), (Events{{0x101, 0x2A, 0, 0, 0, s},
                                      {0x201, 1, -5, -7, 1, s},
                                      {0x201, 2, 30, 40, 1, s},
                                      {0x202, 1, 31, 41, 1, s},
                                      {0x102, 0x2A, 0, 0, 0, s},
                                      {0x202, 2, 32, 42, 0, s},
                                      {0x201, 3, 1, 2, 0, s},
                                      {0x204, -3, 0, 0, 0, s},
                                      {0x204, 0, 0, 0, 0, s}}));
    EXPECT_EQ(GetCapture(), p) << "the middle button is still held";
    PostMessageA(p, WM_MBUTTONUP, 0, point(1, 2));
    takeEvents(1);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(NativeGadgets, MovingBetweenWindowsLeavesThenEntersThenMoves) {
    int other = cmd.createPanel(220, 10, 100, 100, window, 0);
    auto sense = [](int gadget) {
        auto* p = object<Win32Panel>(gadget);
        p->control().setSensitivity(kSenseKeysAndButtons | kSenseMotion, p);
    };
    sense(panel);
    sense(other);
    PostMessageA(hwndOf(panel), WM_MOUSEMOVE, 0, point(10, 11));
    PostMessageA(hwndOf(panel), WM_MOUSEMOVE, 0, point(10, 11));  // same place: nothing
    PostMessageA(hwndOf(other), WM_MOUSEMOVE, 0, point(-3, 20));
    const int a = panel, b = other;
    Events got = takeEvents(5);
    // Wine may report that the (real) pointer is not over the window at all:
    // such leave notifications come after the moves and are not checked here.
    ASSERT_GE(got.size(), 5u);
    got.resize(5);
    EXPECT_EQ(got, (Events{{0x205, 0, 10, 11, 0, a},
                           {0x203, 0, 10, 11, 0, a},
                           {0x206, 0, 0, 0, 0, a},
                           {0x205, 0, -3, 20, 0, b},
                           {0x203, 0, -3, 20, 0, b}}));
    cmd.freeGadget(other);
    EXPECT_EQ(win32MouseOverWindow(), nullptr) << "freeing the window under the mouse clears it";
}

TEST_F(NativeGadgets, NotificationsReachTheControlsHandler) {
    int button = cmd.createButton(Text("Push"), 5, 5, 60, 20, panel, 1);
    int check = cmd.createButton(Text("Check"), 5, 30, 60, 20, panel, 2);
    int tabber = cmd.createTabber(5, 60, 150, 60, panel, 0);
    int field = cmd.createTextField(70, 5, 60, 20, panel, 0);
    HWND tabs = GetParent(hwndOf(tabber));
    // The tabber reports the tab it re-reads from the control, among its items.
    auto addItem = command<void(QXCALL*)(int, QXString*, int, int)>("AddGadgetItem%gadget$item%select=0%icon=-1");
    addItem(tabber, Text("one"), 0, -1);
    addItem(tabber, Text("two"), 0, -1);
    SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
    SendMessageA(hwndOf(check), BM_SETCHECK, BST_CHECKED, 0);
    static NMHDR tabChange;
    tabChange = {tabs, 0, static_cast<UINT>(TCN_SELCHANGE)};

    HWND p = hwndOf(panel);
    PostMessageA(p, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(hwndOf(button)));
    PostMessageA(p, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(hwndOf(check)));
    PostMessageA(p, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tabChange));
    PostMessageA(hwndOf(window), WM_COMMAND, MAKEWPARAM(42, 0), 0);
    PostMessageA(hwndOf(window), WM_ENTERMENULOOP, 0, 0);
    PostMessageA(hwndOf(window), WM_EXITMENULOOP, 0, 0);
    PostMessageA(hwndOf(field), WM_CHAR, 'q', keyParam(0x10));
    PostMessageA(hwndOf(field), WM_CHAR, 13, keyParam(0x1C));
    Events got = takeEvents(8);
    EXPECT_EQ(got, (Events{{0x401, 0, 0, 0, 0, button},
                           {0x401, 1, 0, 0, 0, check},
                           {0x401, 1, 0, 0, 0, tabber},
                           {0x1001, 42, 0, 0, 0, 0},
                           {0x2004, 0, 0, 0, 0, 0},
                           {0x2005, 0, 0, 0, 0, 0},
                           {0x401, 'q', 0, 0, 0, field},
                           {0x401, 13, 0, 0, 0, field}}));
}

TEST_F(NativeGadgets, FreeingAGadgetWhileItsHandlerRunsWaitsForTheHandler) {
    int button = cmd.createButton(Text("Push"), 5, 5, 60, 20, panel, 1);
    PostMessageA(hwndOf(panel), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(hwndOf(button)));
    // The pump hands the click over from inside the button's handler (other
    // tests on the display may take the foreground meanwhile).
    int id = 0;
    do id = cmd.waitEvent(2000);
    while (id == EVENT_APPSUSPEND || id == EVENT_APPRESUME || id == 0x804);
    ASSERT_EQ(id, 0x401);
    cmd.freeGadget(button);
    cmd.freeGadget(window);  // and the window around it
    cmd.waitEvent(50);  // the pump finishes the handler
    EXPECT_FALSE(isLiveObject(object<QXObject>(button)));
    EXPECT_FALSE(isLiveObject(object<QXObject>(window)));
    EXPECT_EQ(win32WindowMapSize(), mapBefore);
}

TEST_F(NativeGadgets, CursorsWindowsAndTheMap) {
    Win32Gadget& wrapper = object<Win32Panel>(panel)->control();
    wrapper.setCursor(9);
    EXPECT_EQ(wrapper.cursor(), 6);
    wrapper.setCursor(-1);
    EXPECT_EQ(wrapper.cursor(), 0);
    EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(cmd.queryObject(window, 1)))));
    // A virtual size on a window without client area leaves positions alone.
    wrapper.setVirtualSize(640, 480);
    MoveWindow(hwndOf(panel), 0, 0, 0, 0, FALSE);
    wrapper.setSensitivity(kSenseKeysAndButtons, object<Win32Panel>(panel));
    PostMessageA(hwndOf(panel), WM_LBUTTONDOWN, MK_LBUTTON, point(3, 4));
    EXPECT_EQ(takeEvents(1), (Events{{0x201, 1, 3, 4, 0, panel}}));
    // Freeing every gadget empties the map.
    cmd.createButton(Text("b"), 0, 0, 10, 10, panel, 1);
    cmd.createTextField(0, 0, 10, 10, panel, 1);
    EXPECT_EQ(win32WindowMapSize(), mapBefore + 4);
    cmd.freeGadget(window);
    EXPECT_EQ(win32WindowMapSize(), mapBefore);
    // The desktop is the system's own; freeing it does nothing.
    cmd.freeGadget(cmd.desktop());
    EXPECT_EQ(cmd.queryObject(cmd.desktop(), 1), static_cast<int>(reinterpret_cast<std::uintptr_t>(GetDesktopWindow())));
}
