#pragma once
// The native gadgets: each portable kind over its Windows control. Every
// class owns its control window(s) through Win32Gadget wrappers and handles
// the control's messages itself.

#include <windows.h>

#include <type_traits>

#include "gui/QXGadget.h"
#include "gui/win32/Win32Hwnd.h"

// The common operations of a gadget over one control window. Base is the
// portable kind.
template <class Base> class Win32NativeGadget : public Base, public Win32WndProc {
public:
    Win32NativeGadget(QXGroup* group, int style) : Base(group, style) { control_.setOwner(this); }
    // The window goes before the portable part (and its children's, for groups).
    ~Win32NativeGadget() override { control_.destroy(); }

    int query(int queryId) override {
        const int answer = control_.query(queryId);
        return answer ? answer : Base::query(queryId);
    }
    void setFont(QXFont* font) override;
    void setText(QXString* text) override;
    void setShape(int x, int y, int width, int height) override {
        if (control_.hwnd()) MoveWindow(control_.hwnd(), x, y, width, height, TRUE);
        storeShapeOf(x, y, width, height);
    }
    void setVisible(bool visible) override {
        if (control_.hwnd()) ShowWindow(control_.hwnd(), visible ? SW_SHOWNORMAL : SW_HIDE);
        this->storeVisible(visible);
    }
    void setEnabled(bool enabled) override {
        if (control_.hwnd()) EnableWindow(control_.hwnd(), enabled);
        this->storeEnabled(enabled);
    }
    void activate() override {
        if (control_.hwnd()) SetFocus(control_.hwnd());
    }
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override {
        return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    }

    // Makes the control inside the parent group's client window, hidden, at
    // (0, 0, 0, 0), and attaches it; false when Windows refuses.
    bool createControl(const char* windowClass, DWORD extendedStyle, DWORD style);
    Win32Gadget& control() { return control_; }

protected:
    // Groups also read their client area and lay their children out.
    void storeShapeOf(int x, int y, int width, int height) {
        if constexpr (std::is_base_of_v<QXGroup, Base>) QXGroup::setShape(x, y, width, height);
        else this->storeShape(x, y, width, height);
    }
    HWND parentWindow() const;

    Win32Gadget control_;
};

// Groups whose children live in their control window.
template <class Base> class Win32NativeGroup : public Win32NativeGadget<Base> {
public:
    using Win32NativeGadget<Base>::Win32NativeGadget;
    void getClientArea(int& x, int& y, int& width, int& height) override {
        this->control_.clientRect(x, y, width, height);
    }
};

class Win32Label : public Win32NativeGadget<QXLabel> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
};

class Win32Button : public Win32NativeGadget<QXButton> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
    // 1 when checked.
    int state();
};

class Win32TextField : public Win32NativeGadget<QXTextField> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    // Keeps the caret and the selection.
    void setText(QXString* text) override;
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;

private:
    int lastCharacter_ = 0;
};

class Win32Slider : public Win32NativeGadget<QXSlider> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
};

class Win32ProgBar : public Win32NativeGadget<QXProgBar> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
};

class Win32ComboBox : public Win32NativeGadget<QXComboBox> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    // The control keeps room for its drop-down list whatever height is asked.
    void setShape(int x, int y, int width, int height) override;
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
};

class Win32ListBox : public Win32NativeGadget<QXListBox> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
};

class Win32TreeView : public Win32NativeGadget<QXTreeView> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
};

class Win32TextArea : public Win32NativeGadget<QXTextArea> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
};

class Win32ToolBar : public Win32NativeGadget<QXToolBar> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
};

class Win32HtmlView : public Win32NativeGadget<QXHtmlView> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
};

class Win32Splitter : public Win32NativeGroup<QXSplitter> {
public:
    using Win32NativeGroup::Win32NativeGroup;
    bool create();
};

// A tab strip whose children live in a client window inside it.
class Win32Tabber : public Win32NativeGadget<QXTabber> {
public:
    Win32Tabber(QXGroup* group, int style);
    ~Win32Tabber() override;
    bool create();
    int query(int queryId) override;
    void setShape(int x, int y, int width, int height) override;
    void getClientArea(int& x, int& y, int& width, int& height) override { client_.clientRect(x, y, width, height); }
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;

private:
    Win32Gadget client_;
};

// The system desktop: no window of its own, nothing to change.
class Win32Desktop : public QXDesktop {
public:
    Win32Desktop();
    int query(int queryId) override;
    void setFont(QXFont*) override {}
    void setText(QXString*) override {}
    void setShape(int, int, int, int) override {}
    void setVisible(bool) override {}
    void setEnabled(bool) override {}
    void activate() override {}
    void getClientArea(int& x, int& y, int& width, int& height) override;
};

// Windows and panels have headers of their own.
#include "gui/win32/Win32Panel.h"
#include "gui/win32/Win32Window.h"
