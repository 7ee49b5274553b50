#pragma once
// The HTML view: the system web browser in a gadget. Where no browser can be
// had, the gadget is an empty window and every operation answers with its
// failure value. Included by gui/QXControls.h.

class QXString;

// HtmlViewStatus when the gadget has no browser.
constexpr int kHtmlViewNoBrowser = -1;

class QXHtmlView : public QXGadget {
public:
    using QXGadget::QXGadget;
    virtual void go(QXString* /*url*/) {}
    virtual void run(QXString* /*script*/) {}
    virtual void back() {}
    virtual void forward() {}
    // 1 while busy, 0 when idle, kHtmlViewNoBrowser without a browser.
    virtual int status() { return kHtmlViewNoBrowser; }
    // New references; empty until a navigation completed or a link was caught.
    virtual QXString* currentUrl();
    virtual QXString* eventUrl();
};
