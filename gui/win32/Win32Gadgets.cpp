#include "gui/win32/Win32Gadgets.h"

#include <commctrl.h>
#include <richedit.h>

#include "core/QXString.h"
#include "graphics/QXCanvas.h"
#include "events/QXEvent.h"
#include "events/win32/Win32Font.h"

namespace {
HWND windowOf(int handle) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<unsigned>(handle))); }

constexpr DWORD kChild = WS_CHILD;
// The combo box's own height: room for its drop-down list.
constexpr int kDropDownHeight = 128;
}  // namespace

// ---------------------------------------------------------------- common

template <class Base> HWND Win32NativeGadget<Base>::parentWindow() const {
    QXGroup* group = this->group();
    return group ? windowOf(group->query(kGadgetClientWindowQuery)) : nullptr;
}

template <class Base>
bool Win32NativeGadget<Base>::createControl(const char* windowClass, DWORD extendedStyle, DWORD style) {
    HWND hwnd = CreateWindowExA(extendedStyle, windowClass, "", style, 0, 0, 0, 0, parentWindow(), nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (!hwnd) return false;
    control_.attach(hwnd);
    control_.setHandler(this);
    return true;
}

template <class Base> void Win32NativeGadget<Base>::setFont(QXFont* font) {
    if (auto* native = dynamic_cast<Win32Font*>(font); native && control_.hwnd())
        SendMessageA(control_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(native->handle()), TRUE);
    this->storeFont(font);
}

template <class Base> void Win32NativeGadget<Base>::setText(QXString* text) {
    if (control_.hwnd()) SetWindowTextA(control_.hwnd(), stringCText(text));
    Base::setText(text);
}

// ---------------------------------------------------------------- simple controls

bool Win32Label::create() {
    const int kind = style() & 3;
    const DWORD extended = kind == 2 ? WS_EX_WINDOWEDGE : kind == 3 ? WS_EX_CLIENTEDGE : 0;
    return createControl("STATIC", extended, kChild | (kind == 1 ? WS_BORDER : 0));
}

bool Win32Button::create() {
    const int kind = style() & 3;
    const DWORD buttonStyle = kind == 2 ? BS_AUTOCHECKBOX : kind == 3 ? BS_AUTORADIOBUTTON : BS_PUSHBUTTON;
    return createControl("BUTTON", 0, kChild | buttonStyle);
}

int Win32Button::state() {
    return control_.hwnd() && SendMessageA(control_.hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

LRESULT Win32Button::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        emit(0x401, state(), 0, 0, 0);
        return 0;
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

bool Win32TextField::create() {
    return createControl("EDIT", WS_EX_CLIENTEDGE, (style() & 1) ? 0x400100A0 : 0x40010080);
}

void Win32TextField::setText(QXString* text) {
    DWORD start = 0, end = 0;
    HWND hwnd = control_.hwnd();
    if (hwnd) SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    Win32NativeGadget::setText(text);
    if (hwnd) SendMessageA(hwnd, EM_SETSEL, start, end);
}

LRESULT Win32TextField::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (message == WM_CHAR) {
        if (wParam == 13) {
            emit(0x401, 13, 0, 0, 0);
            return 0;
        }
        lastCharacter_ = static_cast<int>(wParam);
    } else if (message == WM_COMMAND && HIWORD(wParam) == EN_UPDATE) {
        emit(0x401, lastCharacter_, 0, 0, 0);
        return 0;
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

bool Win32Slider::create() {
    return createControl("SCROLLBAR", 0, kChild | ((style() & 3) == 1 ? SBS_HORZ : SBS_VERT));
}

LRESULT Win32Slider::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    // A press on the thumb or track starts the control's own modal loop.
    if (message == WM_LBUTTONDOWN && hwnd == control_.hwnd()) emit(EVENT_MODALENTER, 0, 0, 0, 0);
    if ((message == WM_HSCROLL || message == WM_VSCROLL) && hwnd != control_.hwnd()) return scrolled(wParam);
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

bool Win32ProgBar::create() { return createControl(PROGRESS_CLASSA, 0, 0x40000001); }

bool Win32ComboBox::create() {
    if (!createControl(WC_COMBOBOXEXA, 0, 0x40000003)) return false;
    MoveWindow(control_.hwnd(), 0, 0, 0, kDropDownHeight, FALSE);
    return true;
}

void Win32ComboBox::setShape(int x, int y, int width, int height) {
    if (control_.hwnd()) MoveWindow(control_.hwnd(), x, y, width, kDropDownHeight, TRUE);
    storeShape(x, y, width, height);
}

LRESULT Win32ComboBox::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE) {
        rereadSelection();
        emit(0x401, items().selected(), 0, 0, 0);
        return 0;
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

bool Win32ListBox::create() {
    if (!createControl(WC_LISTVIEWA, WS_EX_CLIENTEDGE, 0x4000404D)) return false;
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 0;
    SendMessageA(control_.hwnd(), LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    return true;
}

LRESULT Win32ListBox::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (message == WM_SIZE && hwnd == control_.hwnd())
        SendMessageA(hwnd, LVM_SETCOLUMNWIDTH, 0, LOWORD(lParam));
    if (message == WM_NOTIFY && hwnd != control_.hwnd()) {
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case NM_CLICK:
        case NM_DBLCLK:
        case NM_RETURN:
        case NM_RCLICK:
        case NM_RDBLCLK: userSelected(); return 0;
        default: break;
        }
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

bool Win32TreeView::create() { return createControl(WC_TREEVIEWA, WS_EX_CLIENTEDGE, 0x40000027); }

bool Win32TextArea::create() {
    // The "RichEdit" class comes with riched32, loaded with the first text
    // area and kept for the rest of the run.
    static const bool richEditLoaded = LoadLibraryA("riched32.dll") != nullptr;
    if (!richEditLoaded) return false;
    if (!createControl("RichEdit", WS_EX_CLIENTEDGE, (style() & 1) ? 0x40200144 : 0x403001C4)) return false;
    HWND hwnd = control_.hwnd();
    SendMessageA(hwnd, EM_EXLIMITTEXT, 0, 0x100000);
    SendMessageA(hwnd, EM_SETEVENTMASK, 0, 0x280001);
    CHARFORMATA protect{};
    protect.cbSize = sizeof protect;
    protect.dwMask = CFM_PROTECTED;
    protect.dwEffects = CFE_PROTECTED;
    SendMessageA(hwnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&protect));
    return true;
}

bool Win32ToolBar::create() {
    if (!createControl(TOOLBARCLASSNAMEA, 0, 0x40008800)) return false;
    SendMessageA(control_.hwnd(), TB_BUTTONSTRUCTSIZE, 20, 0);
    return true;
}

LRESULT Win32ToolBar::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (message == WM_COMMAND) {
        emit(0x401, LOWORD(wParam) - 1, 0, 0, 0);
        return 0;
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------- containers

bool Win32Splitter::create() {
    if (!createControl(win32WindowClass(), 0, 0x42000000)) return false;
    control_.setSensitivity(kSenseKeysAndButtons, this);
    return true;
}

Win32Tabber::Win32Tabber(QXGroup* group, int style) : Win32NativeGadget(group, style) { client_.setOwner(this); }

Win32Tabber::~Win32Tabber() { client_.destroy(); }

bool Win32Tabber::create() {
    if (!createControl(WC_TABCONTROLA, 0, 0x42008040)) return false;
    HWND client = CreateWindowExA(0, win32WindowClass(), "", 0x52000000, 0, 0, 0, 0, control_.hwnd(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!client) return false;
    client_.attach(client);
    return true;
}

int Win32Tabber::query(int queryId) {
    const int answer = client_.query(queryId);
    return answer ? answer : QXTabber::query(queryId);
}

void Win32Tabber::setShape(int x, int y, int width, int height) {
    HWND tabs = control_.hwnd();
    if (tabs) {
        MoveWindow(tabs, x, y, width, height, TRUE);
        RECT area{}, firstTab{};
        GetClientRect(tabs, &area);
        SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&firstTab));
        const int left = area.left + 2, top = area.top + firstTab.bottom + 2;
        MoveWindow(client_.hwnd(), left, top, (area.right - 2) - left, (area.bottom - 2) - top, TRUE);
    }
    QXGroup::setShape(x, y, width, height);
}

LRESULT Win32Tabber::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(TCN_SELCHANGE)) {
        rereadSelection();
        emit(0x401, items().selected(), 0, 0, 0);
        return 0;
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------- desktop

Win32Desktop::Win32Desktop() {
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    QXGroup::setShape(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

int Win32Desktop::query(int queryId) {
    if (queryId == kGadgetWindowQuery || queryId == kGadgetClientWindowQuery)
        return static_cast<int>(reinterpret_cast<std::uintptr_t>(GetDesktopWindow()));
    return QXDesktop::query(queryId);
}

void Win32Desktop::getClientArea(int& x, int& y, int& width, int& height) {
    RECT r{};
    GetClientRect(GetDesktopWindow(), &r);
    x = r.left;
    y = r.top;
    width = r.right - r.left;
    height = r.bottom - r.top;
}

template class Win32NativeGadget<QXLabel>;
template class Win32NativeGadget<QXButton>;
template class Win32NativeGadget<QXTextField>;
template class Win32NativeGadget<QXSlider>;
template class Win32NativeGadget<QXProgBar>;
template class Win32NativeGadget<QXComboBox>;
template class Win32NativeGadget<QXListBox>;
template class Win32NativeGadget<QXTreeView>;
template class Win32NativeGadget<QXTextArea>;
template class Win32NativeGadget<QXToolBar>;
template class Win32NativeGadget<QXHtmlView>;
template class Win32NativeGadget<QXPanel>;
template class Win32NativeGadget<QXSplitter>;
template class Win32NativeGadget<QXTabber>;
template class Win32NativeGadget<QXWindow>;
template class Win32NativeGadget<QXCanvas>;  // the canvases of every graphics family
