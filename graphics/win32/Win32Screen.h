#pragma once
// A screen with a native window: the window is an event source of key,
// button and motion events, tracks the pointer, and repaints by flipping.
// The window's close box only posts 0x803; the program decides.

#include <windows.h>

#include "graphics/QXScreen.h"
#include "gui/win32/Win32Hwnd.h"

class Win32Screen : public QXScreen, public Win32WndProc {
public:
    Win32Screen();
    ~Win32Screen() override;

    // Answers the window queries (1 and 2) and "QXScreen".
    int query(int queryId) override;
    void showPointer(bool show) override;
    void moveMouse(int x, int y) override;
    int mouseX() override;
    int mouseY() override;
    void setTitle(QXString* title) override;
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;

    HWND hwnd() const { return window_.hwnd(); }
    bool minimized() const { return window_.hwnd() && IsIconic(window_.hwnd()); }

protected:
    // Makes the screen's window of the runtime's class and attaches it. With
    // `clientWidth` > 0 the frame is grown so that the client area has that
    // size and the window is centred on the desktop; false when Windows refuses.
    bool createWindow(DWORD style, int x, int y, int clientWidth, int clientHeight);
    // Takes an existing window (the desktop's) without subclassing it.
    void useDesktopWindow() { desktop_ = true; }
    // Repaints by flipping without waiting, unless minimised.
    virtual void paint();

    Win32Hwnd window_;
    bool desktop_ = false;
};
