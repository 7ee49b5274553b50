#include "core/QXString.h"
#include "gui/win32/Win32BrowserSite.h"
#include "gui/win32/Win32Gadgets.h"

Win32HtmlView::Win32HtmlView(QXGroup* group, int style) : Win32NativeGadget(group, style) {}

// The browser goes before its host window.
Win32HtmlView::~Win32HtmlView() { delete site_; }

bool Win32HtmlView::create() {
    if (!createControl(win32WindowClass(), 0, WS_CHILD)) return false;
    site_ = new Win32BrowserSite(*this, control_.hwnd(), style());
    site_->create();  // without a browser the gadget is the empty host window
    return true;
}

LRESULT Win32HtmlView::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (hwnd == control_.hwnd()) {
        if (message == WM_SIZE) {
            if (site_) site_->fitToHost();
            return 0;
        }
        if (message == WM_ERASEBKGND && site_ && site_->hasBrowser()) return 1;
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

void Win32HtmlView::go(QXString* url) {
    if (site_) site_->go(stringCText(url));
}
void Win32HtmlView::run(QXString* script) {
    if (site_) site_->run(stringCText(script));
}
void Win32HtmlView::back() {
    if (site_) site_->back();
}
void Win32HtmlView::forward() {
    if (site_) site_->forward();
}
int Win32HtmlView::status() { return site_ ? site_->status() : kHtmlViewNoBrowser; }
QXString* Win32HtmlView::currentUrl() { return site_ ? newString(site_->currentUrl()) : emptyString(); }
QXString* Win32HtmlView::eventUrl() { return site_ ? newString(site_->eventUrl()) : emptyString(); }
