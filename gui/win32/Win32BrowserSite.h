#pragma once
// The OLE container side of the HTML view: the client site (with the
// in-place site and the document-host UI handler), the in-place frame, an
// empty storage and the sink of the browser's events. The browser object is
// created through OLE; where the system has none, the site stays without one
// and every call answers with its failure value.

#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <ole2.h>

#include <string>

class QXObject;

// Who hears about browser events: data 1 for an intercepted link, 0 for a
// completed navigation.
class Win32BrowserOwner {
public:
    virtual void browserEvent(int data) = 0;
    // The object whose freeing frees this owner and its site, held while the
    // browser calls in: its event runs the program in the middle of the call.
    virtual QXObject* keptDuringCalls() { return nullptr; }

protected:
    ~Win32BrowserOwner() = default;
};

class Win32BrowserSite {
public:
    // Style bit 0: no context menu; bit 1: link clicks become events.
    Win32BrowserSite(Win32BrowserOwner& owner, HWND host, int style);
    ~Win32BrowserSite();
    Win32BrowserSite(const Win32BrowserSite&) = delete;
    Win32BrowserSite& operator=(const Win32BrowserSite&) = delete;

    // Creates the browser in the host window and opens "about:blank"; false
    // (and no browser) when the system cannot provide one.
    bool create();
    bool hasBrowser() const { return web_ != nullptr; }

    void go(const char* url);
    void run(const char* script);
    void back();
    void forward();
    // 1 busy, 0 idle, -1 without a browser.
    int status();
    // The host window's new size reaches the browser.
    void fitToHost();

    const std::string& currentUrl() const { return currentUrl_; }
    const std::string& eventUrl() const { return eventUrl_; }
    bool ready() const { return ready_; }

    // The objects handed to the browser.
    IOleClientSite* clientSite();
    IOleInPlaceFrame* frame();
    IStorage* storage();
    IDispatch* eventSink();

    // A browser URL as a runtime text: the low byte of each character, up to
    // the first zero or 16384 characters.
    static std::string narrow(const wchar_t* url);

private:
    class Site;
    class Frame;
    class Storage;
    class Sink;
    friend class Site;
    friend class Sink;

    void releaseBrowser();
    void beforeNavigate(const wchar_t* url, VARIANT_BOOL* cancel);
    void navigateComplete(const wchar_t* url);

    Win32BrowserOwner& owner_;
    HWND host_;
    int style_;
    Site* site_;
    Frame* frame_;
    Storage* storage_;
    Sink* sink_;
    bool oleStarted_ = false;
    IOleObject* object_ = nullptr;
    IWebBrowser2* web_ = nullptr;
    IOleInPlaceObject* inPlace_ = nullptr;
    IConnectionPoint* events_ = nullptr;
    DWORD cookie_ = 0;
    bool ready_ = true;
    std::string currentUrl_;
    std::string eventUrl_;
};

// Whether the system can make HTML documents (OLE must be initialised).
bool win32HtmlEngineAvailable();
