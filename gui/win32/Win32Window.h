#pragma once
// A frame window hosting gadgets, with an optional menu bar and status bar.

#include "gui/win32/Win32Gadgets.h"

class QXMenu;

class Win32Window : public Win32NativeGadget<QXWindow> {
public:
    Win32Window(QXGroup* group, int style);
    ~Win32Window() override;
    bool create();

    // With a status bar the children live in the client child above it.
    int query(int queryId) override;
    void getClientArea(int& x, int& y, int& width, int& height) override;
    void setShape(int x, int y, int width, int height) override;
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;

    void activateWindow() override;
    void updateMenu() override;
    void setStatusText(QXString* text) override;
    void setMinimumSize(int width, int height) override;
    void minimize() override;
    void maximize() override;
    void restore() override;

    HWND frame() const { return control_.hwnd(); }
    HWND statusBar() const { return statusBar_; }

private:
    void storeWindowRect();
    // Fits the status bar and the client child to the frame's client area.
    void arrangeStatusBar(WPARAM sizeType, LPARAM size);
    int statusBarHeight() const;

    int minimumWidth_ = 0;
    int minimumHeight_ = 0;
    Win32Gadget client_;
    HWND statusBar_ = nullptr;
};

// The native menu bar of the tree under `root` (its children are the bar's
// items); null when Windows refuses.
HMENU win32BuildMenuBar(const QXMenu& root);

// The window most recently activated when it is native, or null.
Win32Window* win32ActiveWindow();
