#pragma once
// The native side every canvas driver shares: a child window of the
// runtime's class in the group's client area, sensitive to keys, buttons and
// motion, that repaints by flipping its back buffer.

#include <windows.h>

#include <algorithm>

#include "graphics/QXCanvas.h"
#include "gui/win32/Win32Gadgets.h"
#include "runtime/QXError.h"
#include "runtime/QXModule.h"

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

// A canvas driver module of one family: it needs the GUI, is the running
// canvas driver while started, and makes canvases of class `Canvas`.
template <class Canvas> class Win32CanvasDriver : public QXCanvasDriver {
public:
    Win32CanvasDriver(const char* name, const char* config) { registerModule(name, "Canvas", config); }
    bool startup() override {
        if (!startSubsystem("Gui")) return false;
        setCanvasDriver(this);
        return true;
    }
    void shutdown() override {
        if (canvasDriver() == this) setCanvasDriver(nullptr);
    }
    QXCanvas* createCanvas(QXGroup* group, int style) override {
        auto* canvas = new Canvas(group, style);
        if (!canvas->create()) {
            release(canvas);
            runtimeError("Unable to create canvas");
        }
        return canvas;
    }
};
