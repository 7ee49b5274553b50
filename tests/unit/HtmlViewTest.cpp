// The HTML view: the OLE container objects and the event conversion over a
// test double of the browser (its calls made by hand), and the gadget under
// Wine, which has no browser engine here.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "NativeGuiSession.h"
#include "TestSupport.h"
#include "core/QXString.h"
#include "events/QXEventDriver.h"
#include "events/QueFilter.h"
#include "events/win32/Win32CatchFilter.h"
#include "events/win32/Win32EventDriver.h"
#include "gui/QXGadget.h"
#include "runtime/QXModule.h"
#include "gui/win32/Win32BrowserSite.h"
#include "gui/win32/Win32GuiDriver.h"
#include "gui/win32/Win32Hwnd.h"

namespace {
constexpr GUID kDocHostUIHandler = {0xBD3F23C0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};
constexpr GUID kBrowserEvents = {0xEAB22AC2, 0x30C1, 0x11CF, {0xA7, 0xEB, 0x00, 0x00, 0xC0, 0x5B, 0xAE, 0x0B}};

struct RecordingOwner : Win32BrowserOwner {
    std::vector<int> events;
    void browserEvent(int data) override { events.push_back(data); }
};

// A host window of the runtime's class.
struct Host {
    Host() {
        hwnd = CreateWindowExA(0, win32WindowClass(), "", WS_POPUP, 0, 0, 120, 80, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    ~Host() { DestroyWindow(hwnd); }
    HWND hwnd;
};

// The browser's calls to the sink, with its argument order (last first).
struct Navigation {
    BSTR url;
    VARIANT args[6];
    VARIANT_BOOL cancel = VARIANT_FALSE;
    explicit Navigation(const wchar_t* address) : url(SysAllocString(address)) {
        for (VARIANT& v : args) VariantInit(&v);
        args[5].vt = VT_BSTR;
        args[5].bstrVal = url;
        args[0].vt = VT_BOOL | VT_BYREF;
        args[0].pboolVal = &cancel;
    }
    ~Navigation() { SysFreeString(url); }
    void before(IDispatch* sink) {
        DISPPARAMS params{args, nullptr, 6, 0};
        sink->Invoke(100, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
    void complete(IDispatch* sink) {
        DISPPARAMS params{&args[5], nullptr, 1, 0};
        sink->Invoke(101, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
};
}  // namespace

TEST(BrowserSite, TheSiteAnswersItsInterfacesAndCountsNothing) {
    Host host;
    RecordingOwner owner;
    Win32BrowserSite site(owner, host.hwnd, 1);
    IOleClientSite* client = site.clientSite();
    void* out = nullptr;
    struct Case {
        const GUID* iid;
        bool answered;
    };
    const Case cases[] = {{&IID_IUnknown, true},   {&IID_IOleClientSite, true}, {&IID_IOleInPlaceSite, true},
                          {&kDocHostUIHandler, true}, {&IID_IDispatch, false},    {&IID_IOleInPlaceFrame, false},
                          {&IID_IStorage, false}};
    IUnknown* identity = nullptr;
    ASSERT_EQ(client->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    for (const Case& c : cases) {
        out = reinterpret_cast<void*>(1);
        const HRESULT hr = client->QueryInterface(*c.iid, &out);
        if (!c.answered) {
            EXPECT_EQ(hr, E_NOINTERFACE);
            EXPECT_EQ(out, nullptr);
            continue;
        }
        ASSERT_EQ(hr, S_OK);
        // Every interface leads back to the same object.
        IUnknown* back = nullptr;
        static_cast<IUnknown*>(out)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back));
        EXPECT_EQ(back, identity);
    }
    EXPECT_EQ(client->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(client->AddRef(), 1u);
        EXPECT_EQ(client->Release(), 1u);
        EXPECT_EQ(site.eventSink()->AddRef(), 1u);
        EXPECT_EQ(site.eventSink()->Release(), 1u);
    }

    IOleInPlaceSite* inPlace = nullptr;
    client->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace));
    HWND window = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&window), S_OK);
    EXPECT_EQ(window, host.hwnd);
    EXPECT_EQ(inPlace->CanInPlaceActivate(), S_OK);
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(1);
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    EXPECT_EQ(inPlace->GetWindowContext(&frame, &document, &position, &clip, &info), S_OK);
    EXPECT_EQ(frame, site.frame());
    EXPECT_EQ(document, nullptr);
    RECT client_area{};
    GetClientRect(host.hwnd, &client_area);
    EXPECT_TRUE(EqualRect(&position, &client_area));
    EXPECT_TRUE(EqualRect(&clip, &client_area));
    HWND frameWindow = nullptr;
    EXPECT_EQ(frame->GetWindow(&frameWindow), S_OK);
    EXPECT_EQ(frameWindow, host.hwnd);

    IDocHostUIHandler* ui = nullptr;
    client->QueryInterface(kDocHostUIHandler, reinterpret_cast<void**>(&ui));
    EXPECT_EQ(ui->ShowContextMenu(0, nullptr, nullptr, nullptr), S_OK) << "style 1: no menu";
    OLECHAR* translated = reinterpret_cast<OLECHAR*>(1);
    EXPECT_EQ(ui->TranslateUrl(0, nullptr, &translated), S_FALSE);
    EXPECT_EQ(translated, nullptr);
    EXPECT_EQ(ui->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(site.storage()->Commit(0), E_NOTIMPL);
    Win32BrowserSite plain(owner, host.hwnd, 0);
    IDocHostUIHandler* plainUi = nullptr;
    plain.clientSite()->QueryInterface(kDocHostUIHandler, reinterpret_cast<void**>(&plainUi));
    EXPECT_EQ(plainUi->ShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE) << "style 0: the default menu";
    void* sinkAs = nullptr;
    EXPECT_EQ(site.eventSink()->QueryInterface(kBrowserEvents, &sinkAs), S_OK);
    EXPECT_EQ(sinkAs, site.eventSink());
}

TEST(BrowserSite, LinksAreCaughtOnlyAfterTheProgramsOwnNavigation) {
    Host host;
    RecordingOwner owner;
    Win32BrowserSite site(owner, host.hwnd, 2);
    EXPECT_FALSE(site.hasBrowser());
    EXPECT_EQ(site.status(), -1);
    // The program's navigation passes.
    site.go("http://example.test/page.html");
    EXPECT_FALSE(site.ready());
    Navigation own(L"http://example.test/page.html");
    own.before(site.eventSink());
    EXPECT_EQ(own.cancel, VARIANT_FALSE);
    EXPECT_TRUE(site.ready());
    own.complete(site.eventSink());
    EXPECT_EQ(site.currentUrl(), "http://example.test/page.html");
    // A link the user clicks is reported instead.
    Navigation link(L"http://example.test/other.html");
    link.before(site.eventSink());
    EXPECT_EQ(link.cancel, VARIANT_TRUE);
    EXPECT_EQ(site.eventUrl(), "http://example.test/other.html");
    EXPECT_EQ(site.currentUrl(), "http://example.test/page.html");
    EXPECT_EQ(owner.events, (std::vector<int>{0, 1}));

    // Style 0 lets every link go and reports the completed load.
    RecordingOwner plainOwner;
    Win32BrowserSite plain(plainOwner, host.hwnd, 0);
    Navigation free(L"about:blank");
    free.before(plain.eventSink());
    EXPECT_EQ(free.cancel, VARIANT_FALSE);
    free.complete(plain.eventSink());
    EXPECT_EQ(plain.currentUrl(), "about:blank");
    EXPECT_EQ(plainOwner.events, std::vector<int>{0});
}

// The program may free the HTML view on its event, which it receives while the
// browser's call into the site is still on the stack: the view and its site
// stay until that call is over.
TEST(BrowserSite, AViewFreedOnItsEventOutlivesTheBrowsersCall) {
    struct Observed {
        bool liveAfterFree = false;
        bool destroyed = false;
    };
    struct FreedOwner : QXObject, Win32BrowserOwner {
        FreedOwner(HWND host, Observed& seen) : site(*this, host, 2), seen_(seen) {}
        ~FreedOwner() override { seen_.destroyed = true; }
        void browserEvent(int) override {
            Observed& seen = seen_;
            release(this);  // the program's FreeGadget
            seen.liveAfterFree = isLiveObject(this);
        }
        QXObject* keptDuringCalls() override { return this; }
        Win32BrowserSite site;
        Observed& seen_;
    };
    Host host;
    Observed seen;
    auto* owner = new FreedOwner(host.hwnd, seen);
    Navigation link(L"http://example.test/other.html");
    link.before(owner->site.eventSink());  // the program frees the view on this event
    EXPECT_TRUE(seen.liveAfterFree) << "the view went while the browser's call still used its site";
    EXPECT_TRUE(seen.destroyed);
    EXPECT_EQ(link.cancel, VARIANT_TRUE);
}

TEST(BrowserSite, UrlsAreNarrowedAndMalformedCallsIgnored) {
    EXPECT_EQ(Win32BrowserSite::narrow(nullptr), "");
    EXPECT_EQ(Win32BrowserSite::narrow(L""), "");
    EXPECT_EQ(Win32BrowserSite::narrow(L"a\x0142z"), std::string("a\x42z"));
    const std::wstring longUrl(20000, L'u');
    EXPECT_EQ(Win32BrowserSite::narrow(longUrl.c_str()).size(), 16384u);

    Host host;
    RecordingOwner owner;
    Win32BrowserSite site(owner, host.hwnd, 2);
    IDispatch* sink = site.eventSink();
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(sink->Invoke(100, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(sink->Invoke(101, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), S_OK);
    VARIANT numbers[6];
    for (VARIANT& v : numbers) {
        VariantInit(&v);
        v.vt = VT_I4;
    }
    DISPPARAMS wrong{numbers, nullptr, 6, 0};
    sink->Invoke(100, IID_NULL, 0, DISPATCH_METHOD, &wrong, nullptr, nullptr, nullptr);
    EXPECT_EQ(site.eventUrl(), "");
    sink->Invoke(101, IID_NULL, 0, DISPATCH_METHOD, &wrong, nullptr, nullptr, nullptr);
    EXPECT_EQ(site.currentUrl(), "");
    sink->Invoke(250, IID_NULL, 0, DISPATCH_METHOD, &wrong, nullptr, nullptr, nullptr);  // other events
    EXPECT_EQ(owner.events, (std::vector<int>{1, 0}));
}

TEST(HtmlViewGadget, WithoutABrowserTheGadgetIsAnEmptyWindowAndCommandsAreSafe) {
    ASSERT_TRUE(startNativeGui());
    auto create7 = command<int(QXCALL*)(QXString*, int, int, int, int, int, int)>(
        "%CreateWindow$text%x%y%width%height%group=0%style=15");
    auto create6 = command<int(QXCALL*)(int, int, int, int, int, int)>("%CreateHtmlView%x%y%width%height%group%style=0");
    auto go = command<void(QXCALL*)(int, QXString*)>("HtmlViewGo%htmlview$URL");
    auto run = command<void(QXCALL*)(int, QXString*)>("HtmlViewRun%htmlview$URL");
    auto back = command<void(QXCALL*)(int)>("HtmlViewBack%htmlview");
    auto forward = command<void(QXCALL*)(int)>("HtmlViewForward%htmlview");
    auto status = command<int(QXCALL*)(int)>("%HtmlViewStatus%htmlview");
    auto current = command<QXString*(QXCALL*)(int)>("$HtmlViewCurrentURL%htmlview");
    auto caught = command<QXString*(QXCALL*)(int)>("$HtmlViewEventURL%htmlview");
    QXString* title = newString("Web");
    const int window = create7(title, 0, 0, 200, 200, 0, 3);
    release(title);
    const int view = create6(0, 0, 150, 150, window, 3);
    auto* gadget = reinterpret_cast<QXGadget*>(static_cast<std::uintptr_t>(static_cast<unsigned>(view)));
    EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<unsigned>(gadget->query(1))))));
    QXString* page = newString("about:blank");
    go(view, page);
    run(view, page);
    release(page);
    back(view);
    forward(view);
    const int answer = status(view);
    if (!win32HtmlEngineAvailable()) {
        // No browser engine on these machines: the documented failure values.
        EXPECT_EQ(answer, -1);
        QXString* url = current(view);
        EXPECT_EQ(url->length, 0);
        release(url);
        url = caught(view);
        EXPECT_EQ(url->length, 0);
        release(url);
    } else {
        EXPECT_TRUE(answer == 0 || answer == 1);
    }
    EXPECT_EQ(runtimeErrorOf([&] { status(window); }), "Invalid HTMLView Gadget handle");
    stopNativeGui();
}
