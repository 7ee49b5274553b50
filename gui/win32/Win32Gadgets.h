#pragma once
// The native gadgets: each portable kind over its Windows control. Every
// class owns its control window(s) through Win32Gadget wrappers and handles
// the control's messages itself.

#include <windows.h>

#include <type_traits>

#include "gui/QXGadget.h"
#include "gui/win32/Win32BrowserSite.h"
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
    int state() override;
    void setState(int state) override;  // Win32Controls.cpp
};

class Win32TextField : public Win32NativeGadget<QXTextField> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    // Keeps the caret and the selection.
    void setText(QXString* text) override;
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
    QXString* currentText() override;  // Win32Controls.cpp

private:
    int lastCharacter_ = 0;
};

class Win32Slider : public Win32NativeGadget<QXSlider> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
    // Win32Controls.cpp
    int value() override;
    void setValue(int value) override;
    void setRange(int visible, int total) override;
    // The slider's own scroll notification; 0 when handled.
    LRESULT scrolled(WPARAM wParam);
};

class Win32ProgBar : public Win32NativeGadget<QXProgBar> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    void setProgress(float progress) override;  // Win32Controls.cpp
};

class Win32ComboBox : public Win32NativeGadget<QXComboBox> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    // The control keeps room for its drop-down list whatever height is asked.
    void setShape(int x, int y, int width, int height) override;
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
    // Item operations (Win32ItemGadgets.cpp): indices are checked before
    // the control is touched; the item array changes after the control did.
    void clearItems() override;
    void addItem(QXString* text, int icon) override;
    void insertItem(int index, QXString* text, int icon) override;
    void modifyItem(int index, QXString* text, int icon) override;
    void removeItem(int index) override;
    void selectItem(int index) override;
    void setIconStrip(QXIconStrip* strip) override;
    // Stores the control's current selection.
    void rereadSelection();
};

class Win32ListBox : public Win32NativeGadget<QXListBox> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
    // Item operations (Win32ItemGadgets.cpp): indices are checked before
    // the control is touched; the item array changes after the control did.
    void clearItems() override;
    void addItem(QXString* text, int icon) override;
    void insertItem(int index, QXString* text, int icon) override;
    void modifyItem(int index, QXString* text, int icon) override;
    void removeItem(int index) override;
    void selectItem(int index) override;
    void setIconStrip(QXIconStrip* strip) override;
    void rereadSelection();
    // A click, double click or return: the first selected item becomes the
    // selection and is posted; none selected puts the stored one back.
    void userSelected();
};

class Win32TreeView : public Win32NativeGadget<QXTreeView> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    // The nodes go while the control still exists.
    ~Win32TreeView() override { releaseRoot(); }
    bool create();
    // Win32TreeView.cpp
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
    void setIconStrip(QXIconStrip* strip) override;

protected:
    QXTreeViewNode* makeRoot() override;
};

class Win32TextArea : public Win32NativeGadget<QXTextArea> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    bool create();
    // Win32TextArea.cpp
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
    void setTabs(int tabs) override;
    void setTextColour(int red, int green, int blue) override;
    void setBackgroundColour(int red, int green, int blue) override;
    void addText(QXString* text) override;
    void replaceText(QXString* text, int pos, int len, int units) override;
    void formatText(int red, int green, int blue, int flags, int pos, int len, int units) override;
    QXString* readText(int pos, int len, int units) override;
    // Programmatic changes run locked: the user's selection is kept and no
    // change or selection events are posted.
    void lock() override;
    void unlock() override;
    int lockCount() const { return lockCount_; }

protected:
    int textLength() override;
    int lineCount() override;
    int lineStart(int line) override;
    int lineAt(int character) override;
    void selection(int& start, int& end) override;

private:
    // Locks, then selects; the caller unlocks.
    void selectLocked(int start, int end);
    // Replaces the selection with the text, streamed in plain.
    void streamIn(QXString* text);

    bool pendingChange_ = false;
    int lockCount_ = 0;
    int savedStart_ = 0, savedEnd_ = 0;
};

class Win32ToolBar : public Win32NativeGadget<QXToolBar> {
public:
    using Win32NativeGadget::Win32NativeGadget;
    ~Win32ToolBar() override;
    bool create();
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
    // Win32Controls.cpp
    void setIconStrip(QXIconStrip* strip) override;
    void enableItem(int index, bool enabled) override;
    void setTips(QXString* tips) override;
    HWND tipWindow() const { return tips_; }

private:
    HWND tips_ = nullptr;
};

class Win32BrowserSite;

// The host window and the browser site in it (Win32HtmlView.cpp). Without a
// browser on the system the host window stays empty.
class Win32HtmlView : public Win32NativeGadget<QXHtmlView>, public Win32BrowserOwner {
public:
    Win32HtmlView(QXGroup* group, int style);
    ~Win32HtmlView() override;
    bool create();
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;
    void go(QXString* url) override;
    void run(QXString* script) override;
    void back() override;
    void forward() override;
    int status() override;
    QXString* currentUrl() override;
    QXString* eventUrl() override;
    void browserEvent(int data) override { emit(0x401, data, 0, 0, 0); }
    QXObject* keptDuringCalls() override { return this; }

private:
    Win32BrowserSite* site_ = nullptr;
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
    // Item operations (Win32ItemGadgets.cpp): indices are checked before
    // the control is touched; the item array changes after the control did.
    void clearItems() override;
    void addItem(QXString* text, int icon) override;
    void insertItem(int index, QXString* text, int icon) override;
    void modifyItem(int index, QXString* text, int icon) override;
    void removeItem(int index) override;
    void selectItem(int index) override;
    void setIconStrip(QXIconStrip* strip) override;
    void rereadSelection();

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
