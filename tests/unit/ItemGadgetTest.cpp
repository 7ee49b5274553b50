// Item lists, icon strips, tool bars and the simple controls under Wine: the
// commands as compiled code calls them, read back from the native controls.
// User actions are posted: events only come from messages the pump dispatches.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "NativeGuiSession.h"
#include "TestSupport.h"
#include "core/QXString.h"
#include "events/QXEvent.h"
#include "events/QXEventDriver.h"
#include "events/QueFilter.h"
#include "events/win32/Win32CatchFilter.h"
#include "events/win32/Win32EventDriver.h"
#include "gui/QXGadget.h"
#include "runtime/QXModule.h"
#include "gui/QXIconStrip.h"
#include "gui/win32/Win32Gadgets.h"
#include "gui/win32/Win32GuiDriver.h"
#include "gui/win32/Win32Hwnd.h"
#include "gui/win32/Win32IconStrip.h"

namespace {
using Fn1 = void(QXCALL*)(int);
using Fn2 = void(QXCALL*)(int, int);
using Get1 = int(QXCALL*)(int);
using Create7 = int(QXCALL*)(QXString*, int, int, int, int, int, int);
using Create6 = int(QXCALL*)(int, int, int, int, int, int);

struct Commands {
    Create7 createWindow = command<Create7>("%CreateWindow$text%x%y%width%height%group=0%style=15");
    Create7 createButton = command<Create7>("%CreateButton$text%x%y%width%height%group%style=1");
    Create7 createToolBar = command<Create7>("%CreateToolBar$icons%x%y%width%height%group%style=0");
    Create6 createPanel = command<Create6>("%CreatePanel%x%y%width%height%group%style=0");
    Create6 createComboBox = command<Create6>("%CreateComboBox%x%y%width%height%group%style=0");
    Create6 createListBox = command<Create6>("%CreateListBox%x%y%width%height%group%style=0");
    Create6 createTabber = command<Create6>("%CreateTabber%x%y%width%height%group%style=0");
    Create6 createTextField = command<Create6>("%CreateTextField%x%y%width%height%group%style=0");
    Create6 createSlider = command<Create6>("%CreateSlider%x%y%width%height%group%style=1");
    Create6 createProgBar = command<Create6>("%CreateProgBar%x%y%width%height%group%style=0");
    Fn1 clearItems = command<Fn1>("ClearGadgetItems%gadget");
    void(QXCALL* addItem)(int, QXString*, int, int) =
        command<void(QXCALL*)(int, QXString*, int, int)>("AddGadgetItem%gadget$item%select=0%icon=-1");
    void(QXCALL* insertItem)(int, int, QXString*, int) =
        command<void(QXCALL*)(int, int, QXString*, int)>("InsertGadgetItem%gadget%index$item%icon=-1");
    void(QXCALL* modifyItem)(int, int, QXString*, int) =
        command<void(QXCALL*)(int, int, QXString*, int)>("ModifyGadgetItem%gadget%index$item%icon=-1");
    Fn2 removeItem = command<Fn2>("RemoveGadgetItem%gadget%index");
    Fn2 selectItem = command<Fn2>("SelectGadgetItem%gadget%index");
    QXString*(QXCALL* itemText)(int, int) = command<QXString*(QXCALL*)(int, int)>("$GadgetItemText%gadget%index");
    Get1 countItems = command<Get1>("%CountGadgetItems%gadget");
    Get1 selectedItem = command<Get1>("%SelectedGadgetItem%gadget");
    int(QXCALL* loadIconStrip)(QXString*) = command<int(QXCALL*)(QXString*)>("%LoadIconStrip$file");
    Fn1 freeIconStrip = command<Fn1>("FreeIconStrip%icon_strip");
    Fn2 setIconStrip = command<Fn2>("SetGadgetIconStrip%gadget%icon_strip");
    Fn2 enableToolBarItem = command<Fn2>("EnableToolBarItem%toolbar%index");
    Fn2 disableToolBarItem = command<Fn2>("DisableToolBarItem%toolbar%index");
    void(QXCALL* setToolBarTips)(int, QXString*) = command<void(QXCALL*)(int, QXString*)>("SetToolBarTips%toolbar$tips");
    Fn2 setButtonState = command<Fn2>("SetButtonState%button%state");
    Get1 buttonState = command<Get1>("%ButtonState%button");
    void(QXCALL* setSliderRange)(int, int, int) = command<void(QXCALL*)(int, int, int)>("SetSliderRange%slider%visible%total");
    Fn2 setSliderValue = command<Fn2>("SetSliderValue%slider%value");
    Get1 sliderValue = command<Get1>("%SliderValue%slider");
    void(QXCALL* updateProgBar)(int, float) = command<void(QXCALL*)(int, float)>("UpdateProgBar%progbar#progress");
    QXString*(QXCALL* textFieldText)(int) = command<QXString*(QXCALL*)(int)>("$TextFieldText%textfield");
    Fn1 freeGadget = command<Fn1>("FreeGadget%gadget");
    Get1 gadgetWidth = command<Get1>("%GadgetWidth%gadget");
    Get1 gadgetHeight = command<Get1>("%GadgetHeight%gadget");
    int(QXCALL* activeObjects)() = command<int(QXCALL*)()>("%ActiveObjects");
    int(QXCALL* waitEvent)(int) = command<int(QXCALL*)(int)>("%WaitEvent%timeout=-1");
    int(QXCALL* eventData)() = command<int(QXCALL*)()>("%EventData");
    int(QXCALL* eventSource)() = command<int(QXCALL*)()>("%EventSource");
};

struct Text {
    explicit Text(const char* s) : string(newString(s)) {}
    ~Text() { release(string); }
    operator QXString*() const { return string; }
    QXString* string;
};

std::string take(QXString* s) {
    std::string text(stringCText(s));
    release(s);
    return text;
}

HWND hwndOf(int gadget) {
    auto* g = reinterpret_cast<QXGadget*>(static_cast<std::uintptr_t>(static_cast<unsigned>(gadget)));
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<unsigned>(g->query(1))));
}

// The control's own texts, in order.
std::vector<std::string> comboTexts(HWND combo) {
    std::vector<std::string> texts;
    const auto n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char buffer[64] = {};
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer));
        texts.emplace_back(buffer);
    }
    return texts;
}
std::vector<std::string> listTexts(HWND list) {
    std::vector<std::string> texts;
    const auto n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char buffer[64] = {};
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        texts.emplace_back(buffer);
    }
    return texts;
}
std::vector<std::string> tabTexts(HWND tabs) {
    std::vector<std::string> texts;
    const auto n = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char buffer[64] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        texts.emplace_back(buffer);
    }
    return texts;
}

// A 24-bit BMP of width x height: magenta (the transparent colour) at the top
// left, other pixels a pattern.
std::string writeStrip(const char* name, int width, int height) {
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    const int rowBytes = (width * 3 + 3) & ~3;
    const int dataSize = rowBytes * height;
    std::vector<unsigned char> file(54 + static_cast<std::size_t>(dataSize), 0);
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) file[static_cast<std::size_t>(at + i)] = static_cast<unsigned char>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    put32(34, static_cast<std::uint32_t>(dataSize));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &file[54 + static_cast<std::size_t>((height - 1 - y) * rowBytes + x * 3)];
            const bool corner = x == 0 && y == 0;
            p[0] = corner ? 255 : static_cast<unsigned char>(x * 7);
            p[1] = corner ? 0 : static_cast<unsigned char>(y * 13);
            p[2] = corner ? 255 : 40;
        }
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    return path;
}

class ItemGadgets : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startNativeGui());
        window = cmd.createWindow(Text("Items"), 20, 20, 500, 400, 0, 3);
        panel = cmd.createPanel(0, 0, 480, 360, window, 0);
    }
    void TearDown() override {
        stopNativeGui();
    }
    // The 0x401 events (data, source) that arrive within a short while.
    std::vector<std::pair<int, int>> takeActions(std::size_t atLeast) {
        std::vector<std::pair<int, int>> got;
        for (int tries = 0; tries < 20 && got.size() < atLeast; ++tries) {
            while (int id = cmd.waitEvent(got.size() < atLeast ? 50 : 0)) {
                if (id == 0x401) got.emplace_back(cmd.eventData(), cmd.eventSource());
            }
        }
        return got;
    }
    std::string errorOf(const std::function<void()>& body) { return runtimeErrorOf(body).value_or("(none)"); }

    Commands cmd;
    int window = 0;
    int panel = 0;
};
}  // namespace

TEST_F(ItemGadgets, EveryItemCommandOnEveryKindMatchesTheControl) {
    struct Kind {
        const char* name;
        int gadget;
        std::vector<std::string> (*texts)(HWND);
    };
    const Kind kinds[] = {
        {"combo box", cmd.createComboBox(0, 0, 100, 20, panel, 0), comboTexts},
        {"list box", cmd.createListBox(0, 30, 100, 100, panel, 0), listTexts},
        {"tabber", cmd.createTabber(0, 140, 200, 80, panel, 0), tabTexts},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const int g = kind.gadget;
        HWND control = hwndOf(g);
        if (kind.texts == tabTexts) control = GetParent(control);  // the strip around the client window
        auto expectItems = [&](const std::vector<std::string>& want) {
            EXPECT_EQ(kind.texts(control), want);
            ASSERT_EQ(cmd.countItems(g), static_cast<int>(want.size()));
            for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(take(cmd.itemText(g, static_cast<int>(i))), want[i]);
        };
        EXPECT_EQ(cmd.selectedItem(g), -1);
        cmd.addItem(g, Text("one"), 0, -1);
        cmd.addItem(g, Text("two"), 1, -1);
        EXPECT_EQ(cmd.selectedItem(g), 1);
        cmd.insertItem(g, 2, Text("end"), -1);  // index = count appends
        cmd.insertItem(g, 0, Text("first"), -1);
        expectItems({"first", "one", "two", "end"});
        cmd.modifyItem(g, 1, Text("ONE"), -1);
        expectItems({"first", "ONE", "two", "end"});

        // Bad indices stop before the control is touched.
        EXPECT_EQ(errorOf([&] { cmd.insertItem(g, 5, Text("x"), -1); }), "Gadget item list index out of range");
        EXPECT_EQ(errorOf([&] { cmd.modifyItem(g, 4, Text("x"), -1); }), "Gadget item list index out of range");
        EXPECT_EQ(errorOf([&] { cmd.removeItem(g, -1); }), "Gadget item list index out of range");
        EXPECT_EQ(errorOf([&] { cmd.selectItem(g, 4); }), "Gadget item list index out of range");
        EXPECT_EQ(errorOf([&] { release(cmd.itemText(g, 4)); }), "Gadget item list index out of range");
        expectItems({"first", "ONE", "two", "end"});

        cmd.selectItem(g, 3);
        EXPECT_EQ(cmd.selectedItem(g), 3);
        cmd.removeItem(g, 0);
        expectItems({"ONE", "two", "end"});
        cmd.selectItem(g, -1);
        EXPECT_EQ(cmd.selectedItem(g), -1);
        cmd.clearItems(g);
        expectItems({});
        EXPECT_EQ(cmd.selectedItem(g), -1);
        cmd.addItem(g, Text("again"), 1, -1);
        expectItems({"again"});
        EXPECT_EQ(cmd.selectedItem(g), 0);
    }
    // Other kinds and other handles.
    const int button = cmd.createButton(Text("b"), 0, 0, 10, 10, panel, 1);
    EXPECT_EQ(errorOf([&] { cmd.addItem(button, Text("x"), 0, -1); }), "Invalid Gadget type");
    EXPECT_EQ(errorOf([&] { cmd.countItems(panel); }), "Invalid Gadget type");
    EXPECT_EQ(errorOf([&] { cmd.countItems(12345); }), "Invalid Gadget handle");
}

TEST_F(ItemGadgets, RemovingTabsKeepsASensibleSelection) {
    const int tabber = cmd.createTabber(0, 0, 300, 100, panel, 0);
    HWND tabs = GetParent(hwndOf(tabber));
    auto three = [&] {
        cmd.clearItems(tabber);
        for (const char* name : {"a", "b", "c"}) cmd.addItem(tabber, Text(name), 0, -1);
    };
    // The selected last tab of three: its neighbour before it.
    three();
    cmd.selectItem(tabber, 2);
    cmd.removeItem(tabber, 2);
    EXPECT_EQ(cmd.selectedItem(tabber), 1);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
    // The selected middle tab: the same index, now the former third.
    three();
    cmd.selectItem(tabber, 1);
    cmd.removeItem(tabber, 1);
    EXPECT_EQ(cmd.selectedItem(tabber), 1);
    EXPECT_EQ(take(cmd.itemText(tabber, cmd.selectedItem(tabber))), "c");
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
    // A tab before the selected one: the selection still names the same tab.
    three();
    cmd.selectItem(tabber, 2);
    cmd.removeItem(tabber, 0);
    EXPECT_EQ(cmd.selectedItem(tabber), 1);
    EXPECT_EQ(take(cmd.itemText(tabber, 1)), "c");
    // The only tab: the tabber is cleared.
    cmd.clearItems(tabber);
    cmd.addItem(tabber, Text("only"), 1, -1);
    cmd.removeItem(tabber, 0);
    EXPECT_EQ(cmd.countItems(tabber), 0);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(cmd.selectedItem(tabber), -1);
}

TEST_F(ItemGadgets, IconStripsAreCutIntoSquaresAndShownByIndex) {
    const std::string wide = writeStrip("qx-strip-100.bmp", 100, 16);
    const std::string exact = writeStrip("qx-strip-96.bmp", 96, 16);
    const int before = cmd.activeObjects();
    const int strip100 = cmd.loadIconStrip(Text(wide.c_str()));
    const int strip96 = cmd.loadIconStrip(Text(exact.c_str()));
    ASSERT_NE(strip100, 0);
    ASSERT_NE(strip96, 0);
    auto* s100 = reinterpret_cast<QXIconStrip*>(static_cast<std::uintptr_t>(static_cast<unsigned>(strip100)));
    auto* s96 = reinterpret_cast<QXIconStrip*>(static_cast<std::uintptr_t>(static_cast<unsigned>(strip96)));
    EXPECT_EQ(s100->iconCount(), 6);
    EXPECT_EQ(s96->iconCount(), 6);
    EXPECT_EQ(s100->iconSize(), 16);
    EXPECT_EQ(cmd.loadIconStrip(Text("no-such-strip.bmp")), 0);
    EXPECT_EQ(errorOf([&] { cmd.freeIconStrip(panel); }), "Invalid IconStrip handle");
    EXPECT_EQ(errorOf([&] { cmd.setIconStrip(panel, 77); }), "Invalid IconStrip handle");

    // A combo box without a strip shows no image; with one, the icon asked for.
    const int combo = cmd.createComboBox(0, 0, 100, 20, panel, 0);
    HWND c = hwndOf(combo);
    cmd.addItem(combo, Text("plain"), 0, 2);
    cmd.setIconStrip(combo, strip100);
    cmd.addItem(combo, Text("icon"), 0, 2);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(c, CBEM_GETIMAGELIST, 0, 0)) != nullptr, true);
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_IMAGE;
    item.iItem = 1;
    SendMessageA(c, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, 2);

    const int list = cmd.createListBox(0, 30, 100, 100, panel, 0);
    cmd.setIconStrip(list, strip96);
    cmd.addItem(list, Text("icon"), 0, 4);
    LVITEMA row{};
    row.mask = LVIF_IMAGE;
    SendMessageA(hwndOf(list), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row));
    EXPECT_EQ(row.iImage, 4);
    HIMAGELIST small = reinterpret_cast<HIMAGELIST>(SendMessageA(hwndOf(list), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(small), 6);

    // The strips live while gadgets hold them.
    cmd.freeIconStrip(strip100);
    cmd.freeIconStrip(strip96);
    EXPECT_TRUE(isLiveObject(s100));
    cmd.freeGadget(combo);
    EXPECT_FALSE(isLiveObject(s100));
    cmd.freeGadget(list);
    EXPECT_EQ(cmd.activeObjects(), before);
}

TEST_F(ItemGadgets, ToolBarsHaveOneButtonPerIconAndTipsForTheFirstPieces) {
    const std::string three = writeStrip("qx-strip-48.bmp", 48, 16);
    const int holder = cmd.createPanel(0, 0, 300, 60, panel, 0);
    const int bar = cmd.createToolBar(Text(three.c_str()), 0, 0, 300, 40, holder, 0);
    HWND b = hwndOf(bar);
    EXPECT_EQ(SendMessageA(b, TB_BUTTONCOUNT, 0, 0), 3);
    RECT r{};
    GetWindowRect(b, &r);
    EXPECT_EQ(cmd.gadgetHeight(bar), r.bottom - r.top);  // the control sized itself

    cmd.disableToolBarItem(bar, 1);
    EXPECT_FALSE(SendMessageA(b, TB_ISBUTTONENABLED, 2, 0));
    EXPECT_TRUE(SendMessageA(b, TB_ISBUTTONENABLED, 1, 0));
    cmd.enableToolBarItem(bar, 1);
    EXPECT_TRUE(SendMessageA(b, TB_ISBUTTONENABLED, 2, 0));

    cmd.setToolBarTips(bar, Text("Open,Save"));
    auto* native = dynamic_cast<Win32ToolBar*>(
        reinterpret_cast<QXGadget*>(static_cast<std::uintptr_t>(static_cast<unsigned>(bar))));
    ASSERT_NE(native, nullptr);
    ASSERT_NE(native->tipWindow(), nullptr);
    EXPECT_EQ(SendMessageA(native->tipWindow(), TTM_GETTOOLCOUNT, 0, 0), 2);
    cmd.setToolBarTips(bar, Text("a,b,c,d,e"));
    EXPECT_EQ(SendMessageA(native->tipWindow(), TTM_GETTOOLCOUNT, 0, 0), 3);
    cmd.setToolBarTips(bar, Text((std::string("a,") + std::string(300, 'x') + ",c").c_str()));
    EXPECT_EQ(SendMessageA(native->tipWindow(), TTM_GETTOOLCOUNT, 0, 0), 1);

    // Pressing button 2 posts its index.
    const auto size = static_cast<DWORD>(SendMessageA(b, TB_GETBUTTONSIZE, 0, 0));
    const LPARAM at = MAKELPARAM(2 * LOWORD(size) + LOWORD(size) / 2, HIWORD(size) / 2);
    PostMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(b, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(takeActions(1), (std::vector<std::pair<int, int>>{{2, bar}}));

    // A missing file gives a tool bar without buttons.
    const int empty = cmd.createToolBar(Text("missing.bmp"), 0, 0, 100, 30, holder, 0);
    EXPECT_EQ(SendMessageA(hwndOf(empty), TB_BUTTONCOUNT, 0, 0), 0);
    EXPECT_EQ(errorOf([&] { cmd.enableToolBarItem(holder, 0); }), "Invalid ToolBar Gadget handle");
}

// Changing a tool bar's strip: the old strip's image list goes with the strip,
// so the control must have let go of it (and of the buttons drawn from it)
// before the old strip is released.
TEST_F(ItemGadgets, AToolBarLetsGoOfItsOldStripBeforeTheStripGoes) {
    struct Seen {
        HWND bar = nullptr;
        LRESULT list = 0;
        LRESULT buttons = -1;
    };
    struct WatchedStrip : Win32IconStrip {
        WatchedStrip(HIMAGELIST images, Seen& seen) : Win32IconStrip(3, 16, images), seen_(seen) {}
        ~WatchedStrip() override {
            seen_.list = SendMessageA(seen_.bar, TB_GETIMAGELIST, 0, 0);
            seen_.buttons = SendMessageA(seen_.bar, TB_BUTTONCOUNT, 0, 0);
        }
        Seen& seen_;
    };
    const std::string three = writeStrip("qx-strip-48.bmp", 48, 16);
    const int bar = cmd.createToolBar(Text(three.c_str()), 0, 0, 300, 40, panel, 0);
    Seen seen{hwndOf(bar)};
    HIMAGELIST watchedList = ImageList_Create(16, 16, ILC_COLOR24, 3, 1);
    auto* watched = new WatchedStrip(watchedList, seen);
    reinterpret_cast<QXGadget*>(static_cast<std::uintptr_t>(static_cast<unsigned>(bar)))->setIconStrip(watched);
    release(watched);  // the tool bar holds the only reference
    EXPECT_EQ(SendMessageA(seen.bar, TB_GETIMAGELIST, 0, 0), reinterpret_cast<LRESULT>(watchedList));

    const int next = cmd.loadIconStrip(Text(three.c_str()));
    ASSERT_NE(next, 0);
    cmd.setIconStrip(bar, next);
    EXPECT_NE(seen.list, reinterpret_cast<LRESULT>(watchedList)) << "the control still used the list being destroyed";
    EXPECT_EQ(seen.buttons, 0) << "buttons drawn from the old list were still there";
    EXPECT_EQ(SendMessageA(seen.bar, TB_BUTTONCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(seen.bar, TB_GETIMAGELIST, 0, 0),
              reinterpret_cast<LRESULT>(win32ImageListOf(reinterpret_cast<QXIconStrip*>(
                  static_cast<std::uintptr_t>(static_cast<unsigned>(next))))));
    cmd.freeIconStrip(next);
}

// A tool bar's strip is its own: the GUI driver stopping under a tool bar that
// is still held (by a window procedure running when the program ended, say)
// leaves the strip alone; it goes with the tool bar.
TEST_F(ItemGadgets, AToolBarsStripLivesAsLongAsTheToolBarEvenPastTheGuiDriver) {
    const std::string three = writeStrip("qx-strip-48.bmp", 48, 16);
    const int bar = cmd.createToolBar(Text(three.c_str()), 0, 0, 300, 40, panel, 0);
    QXIconStrip* strip = reinterpret_cast<QXGadget*>(static_cast<std::uintptr_t>(static_cast<unsigned>(bar)))->iconStrip();
    ASSERT_NE(strip, nullptr);
    auto* held = reinterpret_cast<QXObject*>(static_cast<std::uintptr_t>(static_cast<unsigned>(window)));
    retain(held);
    stopModule(&theWin32GuiDriver);
    EXPECT_TRUE(isLiveObject(held));
    EXPECT_TRUE(isLiveObject(strip)) << "the tool bar still shows it";
    release(held);  // the window, its panel, the tool bar and the strip go
    EXPECT_FALSE(isLiveObject(strip));
}

// A strip the program loaded, gave to a list and freed: the list's reference
// is the last, so the GUI driver stopping under a list still held must not
// drop it again.
TEST_F(ItemGadgets, AFreedStripStaysWithItsGadgetPastTheGuiDriver) {
    const std::string three = writeStrip("qx-strip-48.bmp", 48, 16);
    const int strip = cmd.loadIconStrip(Text(three.c_str()));
    ASSERT_NE(strip, 0);
    auto* s = reinterpret_cast<QXIconStrip*>(static_cast<std::uintptr_t>(static_cast<unsigned>(strip)));
    const int list = cmd.createListBox(0, 30, 100, 100, panel, 0);
    cmd.setIconStrip(list, strip);
    cmd.freeIconStrip(strip);
    auto* held = reinterpret_cast<QXObject*>(static_cast<std::uintptr_t>(static_cast<unsigned>(window)));
    retain(held);
    stopModule(&theWin32GuiDriver);
    EXPECT_TRUE(isLiveObject(s)) << "the list still shows it";
    release(held);  // the window, its panel, the list and the strip go
    EXPECT_FALSE(isLiveObject(s));
}

TEST_F(ItemGadgets, SimpleControlsReadAndSetTheirControls) {
    const int check = cmd.createButton(Text("c"), 0, 0, 80, 20, panel, 2);
    cmd.setButtonState(check, 1);
    EXPECT_EQ(SendMessageA(hwndOf(check), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(cmd.buttonState(check), 1);
    SendMessageA(hwndOf(check), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(cmd.buttonState(check), 0);

    const int slider = cmd.createSlider(0, 30, 200, 20, panel, 1);
    HWND s = hwndOf(slider);
    cmd.setSliderRange(slider, 10, 100);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(s, SB_CTL, &info);
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 99);
    EXPECT_EQ(info.nPage, 10u);
    cmd.setSliderValue(slider, 500);  // the control clamps it
    EXPECT_EQ(cmd.sliderValue(slider), 90);
    cmd.setSliderValue(slider, 20);
    EXPECT_EQ(cmd.sliderValue(slider), 20);
    PostMessageA(GetParent(s), WM_HSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(s));
    PostMessageA(GetParent(s), WM_HSCROLL, SB_LINEUP, reinterpret_cast<LPARAM>(s));
    EXPECT_EQ(takeActions(2), (std::vector<std::pair<int, int>>{{30, slider}, {29, slider}}));
    EXPECT_EQ(cmd.sliderValue(slider), 29);

    const int bar = cmd.createProgBar(0, 60, 200, 20, panel, 0);
    const std::pair<float, int> progress[] = {{0.999f, 99}, {0.5f, 50}, {0.0f, 0}, {1.0f, 100}, {-3.0f, 0}, {1e30f, 100}};
    for (const auto& [value, position] : progress) {
        cmd.updateProgBar(bar, value);
        EXPECT_EQ(SendMessageA(hwndOf(bar), PBM_GETPOS, 0, 0), position) << value;
    }

    const int field = cmd.createTextField(0, 90, 200, 20, panel, 0);
    SetWindowTextA(hwndOf(field), "typed here");
    EXPECT_EQ(take(cmd.textFieldText(field)), "typed here");
    const std::string longText(5000, 'q');
    SetWindowTextA(hwndOf(field), longText.c_str());
    EXPECT_EQ(take(cmd.textFieldText(field)), longText);

    EXPECT_EQ(errorOf([&] { cmd.setButtonState(field, 1); }), "Invalid Gadget type");
    EXPECT_EQ(errorOf([&] { cmd.sliderValue(bar); }), "Invalid Gadget type");
    EXPECT_EQ(errorOf([&] { cmd.updateProgBar(field, 1); }), "Invalid ProgBar Gadget handle");
    EXPECT_EQ(errorOf([&] { release(cmd.textFieldText(bar)); }), "Invalid TextField Gadget handle");
}

TEST_F(ItemGadgets, UserSelectionsPostTheIndex) {
    const int list = cmd.createListBox(0, 0, 150, 150, panel, 0);
    HWND l = hwndOf(list);
    for (const char* name : {"a", "b", "c"}) cmd.addItem(list, Text(name), 0, -1);
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageA(l, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    const LPARAM onB = MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2);
    PostMessageA(l, WM_LBUTTONDOWN, MK_LBUTTON, onB);
    PostMessageA(l, WM_LBUTTONUP, 0, onB);
    EXPECT_EQ(takeActions(1), (std::vector<std::pair<int, int>>{{1, list}}));
    EXPECT_EQ(cmd.selectedItem(list), 1);
    // Empty space: nothing posted, the selection stays on the control.
    const LPARAM below = MAKELPARAM(10, 140);
    PostMessageA(l, WM_LBUTTONDOWN, MK_LBUTTON, below);
    PostMessageA(l, WM_LBUTTONUP, 0, below);
    EXPECT_TRUE(takeActions(1).empty());
    EXPECT_EQ(cmd.selectedItem(list), 1);
    EXPECT_EQ(SendMessageA(l, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);

    const int tabber = cmd.createTabber(0, 160, 300, 100, panel, 0);
    HWND tabs = GetParent(hwndOf(tabber));
    for (const char* name : {"first", "second"}) cmd.addItem(tabber, Text(name), 0, -1);
    RECT tab{};
    SendMessageA(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
    const LPARAM onTab = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, onTab);
    PostMessageA(tabs, WM_LBUTTONUP, 0, onTab);
    EXPECT_EQ(takeActions(1), (std::vector<std::pair<int, int>>{{1, tabber}}));
    EXPECT_EQ(cmd.selectedItem(tabber), 1);

    const int combo = cmd.createComboBox(0, 270, 100, 20, panel, 0);
    for (const char* name : {"x", "y", "z"}) cmd.addItem(combo, Text(name), 0, -1);
    // The drop-down list's own selection change, as the user makes it.
    HWND inner = reinterpret_cast<HWND>(SendMessageA(hwndOf(combo), CBEM_GETCOMBOCONTROL, 0, 0));
    ASSERT_NE(inner, nullptr);
    SendMessageA(inner, CB_SETCURSEL, 2, 0);
    PostMessageA(inner, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(takeActions(1), (std::vector<std::pair<int, int>>{{1, combo}}));
    EXPECT_EQ(cmd.selectedItem(combo), 1);
}
