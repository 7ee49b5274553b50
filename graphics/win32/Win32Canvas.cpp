#include "graphics/win32/Win32Canvas.h"

bool Win32Canvas::createCanvasWindow(DWORD style) {
    if (!createControl(win32WindowClass(), 0, WS_CHILD | style)) return false;
    control_.setSensitivity(kSenseKeysAndButtons | kSenseMotion, this);
    return true;
}

bool Win32Canvas::minimized() const {
    HWND top = control_.hwnd() ? GetAncestor(control_.hwnd(), GA_ROOT) : nullptr;
    return !top || IsIconic(top);
}

int Win32Canvas::clientWidth() const {
    RECT r{};
    if (control_.hwnd()) GetClientRect(control_.hwnd(), &r);
    return r.right - r.left;
}

int Win32Canvas::clientHeight() const {
    RECT r{};
    if (control_.hwnd()) GetClientRect(control_.hwnd(), &r);
    return r.bottom - r.top;
}

LRESULT Win32Canvas::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (hwnd != control_.hwnd()) return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        paint();
        return 0;
    }
    default: return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    }
}

void Win32Canvas::paint() {
    if (!minimized() && buffer()) flip(false);
}
