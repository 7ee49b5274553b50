// Item lists, tree views and text areas through the commands against the
// bare Win32 messages doing the same work on controls of the same classes:
// 2,000 list box items, 2,000 tree view nodes, 256 KB appended to a text area
// in 1 KB pieces. Ratios, measured in this one process.

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/QXString.h"
#include "events/QueFilter.h"
#include "events/win32/Win32CatchFilter.h"
#include "events/win32/Win32EventDriver.h"
#include "gui/QXGadget.h"
#include "gui/win32/Win32GuiDriver.h"
#include "runtime/QXModule.h"
#include "runtime/QXRegistry.h"

namespace {
using Create7 = int(QXCALL*)(QXString*, int, int, int, int, int, int);
using Create6 = int(QXCALL*)(int, int, int, int, int, int);

constexpr int kItems = 2000;
constexpr int kPieces = 256;

HWND hwndOf(int gadget) {
    auto* g = reinterpret_cast<QXGadget*>(static_cast<std::uintptr_t>(static_cast<unsigned>(gadget)));
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<unsigned>(g->query(1))));
}

HWND bareControl(HWND parent, const char* windowClass, DWORD style) {
    return CreateWindowExA(0, windowClass, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 300, 300, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void report(const char* what, double ours, double bare, const char* bareName, bool same) {
    std::printf("%s: %.1f ms through the commands, %.1f ms bare\n", what, ours * 1e3, bare * 1e3);
    costFigure(what, ours, bare, bareName, 0, same);
}

DWORD CALLBACK bareStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* left = reinterpret_cast<std::pair<const char*, std::size_t>*>(cookie);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(wanted), left->second);
    std::memcpy(buffer, left->first, n);
    left->first += n;
    left->second -= n;
    *given = static_cast<LONG>(n);
    return 0;
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
    auto createWindow = commandAt<Create7>("%CreateWindow$text%x%y%width%height%group=0%style=15");
    auto createListBox = commandAt<Create6>("%CreateListBox%x%y%width%height%group%style=0");
    auto createTreeView = commandAt<Create6>("%CreateTreeView%x%y%width%height%group%style=0");
    auto createTextArea = commandAt<Create6>("%CreateTextArea%x%y%width%height%group%style=0");
    auto addItem = commandAt<void(QXCALL*)(int, QXString*, int, int)>("AddGadgetItem%gadget$item%select=0%icon=-1");
    auto root = commandAt<int(QXCALL*)(int)>("%TreeViewRoot%treeview");
    auto addNode = commandAt<int(QXCALL*)(QXString*, int, int)>("%AddTreeViewNode$text%parent_node%icon=-1");
    auto addText = commandAt<void(QXCALL*)(int, QXString*)>("AddTextAreaText%textarea$text");

    auto hideGadget = commandAt<void(QXCALL*)(int)>("HideGadget%gadget");

    QXString* title = newString("bench");
    const int window = createWindow(title, 0, 0, 400, 400, 0, 1);
    // Both sides fill controls of a hidden window: a shown list view under
    // Wine repaints its scroll bar on every insert (some 20 ms each on the
    // loaded build machine), which would time Wine's painting on both sides
    // and take minutes.
    hideGadget(window);
    HWND parent = hwndOf(window);
    std::vector<QXString*> names;
    std::vector<std::string> bareNames;
    for (int i = 0; i < kItems; ++i) {
        bareNames.push_back("item " + std::to_string(i));
        names.push_back(newString(bareNames.back().c_str()));
    }

    // List box items.
    const int list = createListBox(0, 0, 300, 300, window, 0);
    double start = now();
    for (QXString* name : names) addItem(list, name, 0, -1);
    const double listOurs = now() - start;
    HWND bareList = bareControl(parent, WC_LISTVIEWA, LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    SendMessageA(bareList, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    start = now();
    for (int i = 0; i < kItems; ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = bareNames[static_cast<std::size_t>(i)].data();
        SendMessageA(bareList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    const double listBare = now() - start;
    report("2,000 list box items", listOurs, listBare, "LVM_INSERTITEM",
           SendMessageA(hwndOf(list), LVM_GETITEMCOUNT, 0, 0) == kItems &&
               SendMessageA(bareList, LVM_GETITEMCOUNT, 0, 0) == kItems);

    // Tree view nodes, all under the root.
    const int tree = createTreeView(0, 0, 300, 300, window, 0);
    const int top = root(tree);
    start = now();
    for (QXString* name : names) addNode(name, top, -1);
    const double treeOurs = now() - start;
    HWND bareTree = bareControl(parent, WC_TREEVIEWA, TVS_HASLINES);
    start = now();
    for (int i = 0; i < kItems; ++i) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = bareNames[static_cast<std::size_t>(i)].data();
        insert.item.lParam = i;
        SendMessageA(bareTree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
    }
    const double treeBare = now() - start;
    report("2,000 tree view nodes", treeOurs, treeBare, "TVM_INSERTITEM",
           SendMessageA(hwndOf(tree), TVM_GETCOUNT, 0, 0) == SendMessageA(bareTree, TVM_GETCOUNT, 0, 0) &&
               SendMessageA(bareTree, TVM_GETCOUNT, 0, 0) == kItems);

    // 1 MB in 1 KB pieces, appended at the end.
    std::string piece(1023, 'x');
    piece += '\n';
    QXString* pieceString = newString(piece.c_str());
    const int area = createTextArea(0, 0, 300, 300, window, 0);
    start = now();
    for (int i = 0; i < kPieces; ++i) addText(area, pieceString);
    const double textOurs = now() - start;
    HWND bareArea = bareControl(parent, "RichEdit", ES_MULTILINE | WS_VSCROLL);
    SendMessageA(bareArea, EM_EXLIMITTEXT, 0, 0x200000);
    start = now();
    for (int i = 0; i < kPieces; ++i) {
        const int end = GetWindowTextLengthA(bareArea);
        CHARRANGE at{end, end};
        SendMessageA(bareArea, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
        std::pair<const char*, std::size_t> left{piece.data(), piece.size()};
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&left), 0, bareStream};
        SendMessageA(bareArea, EM_STREAMIN, SF_TEXT | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
    }
    const double textBare = now() - start;
    report("256 KB appended to a text area in 1 KB pieces", textOurs, textBare, "EM_STREAMIN at the end",
           GetWindowTextLengthA(hwndOf(area)) == GetWindowTextLengthA(bareArea) &&
               GetWindowTextLengthA(bareArea) >= kPieces * 1023);

    release(pieceString);
    for (QXString* name : names) release(name);
    release(title);
    stopModule(&theWin32GuiDriver);
    stopModule(&theQueFilter);
    stopModule(&theWin32CatchFilter);
    stopModule(&theWin32EventDriver);
    return benchStatus();
}
