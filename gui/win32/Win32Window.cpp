#include "gui/win32/Win32Window.h"

#include <commctrl.h>

#include "core/QXString.h"
#include "events/QXEvent.h"
#include "gui/QXMenu.h"

namespace {
HWND windowOf(int handle) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<unsigned>(handle))); }

constexpr int kStyleTitleBar = 1, kStyleResizable = 2, kStyleMenu = 4, kStyleStatusBar = 8, kStyleToolWindow = 16,
              kStyleClientShape = 32;
constexpr DWORD kTitledFrame = 0x02C80000, kTitledFrameWithBoxes = 0x02CB0000, kPopUpFrame = 0x82000000;
constexpr DWORD kVisibleClippingChild = 0x52000000, kVisibleChild = 0x50000000;
constexpr int kWindowSensitivity = kSenseKeysAndButtons;
}  // namespace

Win32Window* win32ActiveWindow() { return dynamic_cast<Win32Window*>(activeWindow()); }

Win32Window::Win32Window(QXGroup* group, int style) : Win32NativeGadget(group, style) { client_.setOwner(this); }

Win32Window::~Win32Window() {
    client_.destroy();
    statusBar_ = nullptr;  // goes with the frame
}

bool Win32Window::create() {
    const int bits = style();
    DWORD frameStyle = (bits & kStyleTitleBar) ? ((bits & kStyleResizable) ? kTitledFrameWithBoxes : kTitledFrame)
                                               : kPopUpFrame;
    if (bits & kStyleResizable) frameStyle |= WS_THICKFRAME;
    const DWORD extended = (bits & kStyleToolWindow) ? WS_EX_TOOLWINDOW : 0;
    HWND parent = parentWindow();
    if (!parent && screen()) parent = windowOf(screen()->query(kGadgetClientWindowQuery));

    // Until the first UpdateWindowMenu the bar holds one empty item.
    HMENU menu = nullptr;
    if (bits & kStyleMenu) {
        menu = CreateMenu();
        AppendMenuA(menu, MF_STRING, 0, "");
    }
    HWND frame = CreateWindowExA(extended, win32WindowClass(), "", frameStyle, 0, 0, 0, 0, parent, menu,
                                 GetModuleHandleA(nullptr), nullptr);
    if (!frame) {
        if (menu) DestroyMenu(menu);
        return false;
    }
    control_.attach(frame);
    control_.setHandler(this);
    control_.setSensitivity(kWindowSensitivity, this);

    if (bits & kStyleStatusBar) {
        statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", kVisibleChild, 0, 0, 0, 0, frame, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
        HWND client = CreateWindowExA(0, win32WindowClass(), "", kVisibleClippingChild, 0, 0, 0, 0, frame, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        if (!statusBar_ || !client) return false;
        SendMessageA(statusBar_, WM_SIZE, 0, 0);  // takes its height now, for the first client-area shape
        client_.attach(client);
        client_.setSensitivity(kWindowSensitivity, this);
    }
    return true;
}

int Win32Window::query(int queryId) {
    if (client_.hwnd())
        if (const int answer = client_.query(queryId)) return answer;
    return Win32NativeGadget::query(queryId);
}

void Win32Window::getClientArea(int& x, int& y, int& width, int& height) {
    (client_.hwnd() ? client_ : control_).clientRect(x, y, width, height);
}

int Win32Window::statusBarHeight() const {
    RECT bar{};
    if (statusBar_) GetWindowRect(statusBar_, &bar);
    return bar.bottom - bar.top;
}

void Win32Window::setShape(int x, int y, int width, int height) {
    HWND hwnd = control_.hwnd();
    if (hwnd && (style() & kStyleClientShape)) {
        // The shape asked for is the client area (above the status bar): grow it to the frame.
        RECT r{x, y, x + width, y + height + statusBarHeight()};
        AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), GetMenu(hwnd) != nullptr,
                           static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)));
        x = r.left;
        y = r.top;
        width = r.right - r.left;
        height = r.bottom - r.top;
    }
    if (hwnd) MoveWindow(hwnd, x, y, width, height, TRUE);
    QXGroup::setShape(x, y, width, height);
}

void Win32Window::storeWindowRect() {
    RECT r{};
    GetWindowRect(control_.hwnd(), &r);
    QXGroup::setShape(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void Win32Window::arrangeStatusBar(WPARAM sizeType, LPARAM size) {
    SendMessageA(statusBar_, WM_SIZE, sizeType, size);
    RECT area{};
    GetClientRect(control_.hwnd(), &area);
    MoveWindow(client_.hwnd(), 0, 0, area.right, area.bottom - statusBarHeight(), TRUE);
}

LRESULT Win32Window::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (hwnd != control_.hwnd()) return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    switch (message) {
    case WM_MOVE:
        // The system parks a minimised frame somewhere else; the window keeps
        // the shape it had, so that the size event of minimising reports it.
        if (!IsIconic(hwnd)) storeWindowRect();
        emit(0x801, 0, shape().x, shape().y, 0);
        return 0;
    case WM_SIZE:
        storeMinimized(wParam == SIZE_MINIMIZED);
        storeMaximized(wParam == SIZE_MAXIMIZED);
        // A minimised window keeps the shape it had.
        if (wParam != SIZE_MINIMIZED) {
            if (statusBar_ && client_.hwnd()) arrangeStatusBar(wParam, lParam);
            storeWindowRect();
        }
        emit(0x802, 0, shape().width, shape().height, 0);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            setActiveWindow(this);
            emit(0x804, 0, 0, 0, 0);
        }
        return 0;
    case WM_CLOSE: emit(0x803, 0, 0, 0, 0); return 0;  // the program decides
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {minimumWidth_, minimumHeight_};
        return 0;
    }
    default: return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    }
}

void Win32Window::activateWindow() {
    if (HWND frame = control_.hwnd(); frame && SetActiveWindow(frame)) setActiveWindow(this);
}

void Win32Window::updateMenu() {
    HWND frame = control_.hwnd();
    if (!frame || !rootMenu()) return;
    HMENU bar = win32BuildMenuBar(*rootMenu());
    if (!bar) return;
    HMENU old = GetMenu(frame);
    SetMenu(frame, bar);
    if (old) DestroyMenu(old);
}

void Win32Window::setStatusText(QXString* text) {
    if (statusBar_) SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(stringCText(text)));
}

void Win32Window::setMinimumSize(int width, int height) {
    minimumWidth_ = width < 0 ? shape().width : width;
    minimumHeight_ = height < 0 ? shape().height : height;
}

void Win32Window::minimize() {
    if (control_.hwnd()) ShowWindow(control_.hwnd(), SW_MINIMIZE);
    QXWindow::minimize();
}

void Win32Window::maximize() {
    if (control_.hwnd()) ShowWindow(control_.hwnd(), SW_MAXIMIZE);
    QXWindow::maximize();
}

void Win32Window::restore() {
    if (control_.hwnd()) ShowWindow(control_.hwnd(), SW_RESTORE);
    QXWindow::restore();
}
