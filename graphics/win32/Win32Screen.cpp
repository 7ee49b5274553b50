#include "graphics/win32/Win32Screen.h"

#include "core/QXString.h"
#include "runtime/QXAppTitle.h"

Win32Screen::Win32Screen() { window_.setOwner(this); }

Win32Screen::~Win32Screen() {
    if (desktop_) return;  // never ours to destroy
    window_.destroy();
}

int Win32Screen::query(int id) {
    static const int screenQuery = queryId("QXScreen");
    if (id == screenQuery) return handleOf(this);
    if (!desktop_) {
        if (const int answer = window_.query(id)) return answer;
    }
    return QXScreen::query(id);
}

bool Win32Screen::createWindow(DWORD style, int x, int y, int clientWidth, int clientHeight) {
    int width = clientWidth, height = clientHeight;
    if (clientWidth > 0 && !(style & WS_POPUP)) {
        RECT frame{0, 0, clientWidth, clientHeight};
        AdjustWindowRect(&frame, style, FALSE);
        width = frame.right - frame.left;
        height = frame.bottom - frame.top;
        RECT desktop{};
        GetWindowRect(GetDesktopWindow(), &desktop);
        x = desktop.left + (desktop.right - desktop.left - width) / 2;
        y = desktop.top + (desktop.bottom - desktop.top - height) / 2;
    }
    const std::string title = appTitleText();
    HWND hwnd = CreateWindowExA(0, win32WindowClass(), title.c_str(), style, x, y, width, height, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (!hwnd) return false;
    window_.attach(hwnd);
    window_.setHandler(this);
    window_.setSensitivity(kSenseKeysAndButtons | kSenseMotion, this);
    return true;
}

void Win32Screen::showPointer(bool show) {
    if (!desktop_) window_.setCursor(show ? 1 : 0);
    else ShowCursor(show ? TRUE : FALSE);
}

void Win32Screen::moveMouse(int x, int y) {
    if (desktop_) SetCursorPos(x, y);
    else window_.movePointer(x, y);
}

int Win32Screen::mouseX() {
    if (!desktop_) return window_.lastX();
    POINT at{};
    GetCursorPos(&at);
    return at.x;
}

int Win32Screen::mouseY() {
    if (!desktop_) return window_.lastY();
    POINT at{};
    GetCursorPos(&at);
    return at.y;
}

void Win32Screen::setTitle(QXString* title) {
    if (!desktop_ && window_.hwnd()) SetWindowTextA(window_.hwnd(), stringCText(title));
}

void Win32Screen::paint() {
    if (!minimized()) flip(false);
}

LRESULT Win32Screen::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (hwnd != window_.hwnd()) return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        paint();
        return 0;
    }
    case WM_CLOSE: emit(0x803, 0, 0, 0, 0); return 0;
    default: return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    }
}
