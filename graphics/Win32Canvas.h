#pragma once
// The native side every canvas driver shares: a child window of the
// runtime's class in the group's client area, sensitive to keys, buttons and
// motion, that repaints by flipping its back buffer.

#include <windows.h>

#include <algorithm>

#include "graphics/QXCanvas.h"
#include "gui/win32/Win32Gadgets.h"

class Win32Canvas : public Win32NativeGroup<QXCanvas> {
public:
    using Win32NativeGroup::Win32NativeGroup;

    // Makes the child window with `style` added to WS_CHILD; false when Windows refuses.
    bool createCanvasWindow(DWORD style);

    void showPointer(bool show) override { control_.setCursor(show ? 1 : 0); }
    void moveMouse(int x, int y) override { control_.movePointer(x, y); }
    int mouseX() override { return control_.lastX(); }
    int mouseY() override { return control_.lastY(); }
    void setVirtualSize(int width, int height) override { control_.setVirtualSize(width, height); }
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;

    HWND hwnd() const { return control_.hwnd(); }
    // The top-level window is minimised: nothing to show.
    bool minimized() const;
    int clientWidth() const;
    int clientHeight() const;

protected:
    // Flips without waiting unless minimised.
    virtual void paint();
};
