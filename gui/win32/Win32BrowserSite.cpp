#include "gui/win32/Win32BrowserSite.h"

#include <exdispid.h>
#include <mshtml.h>

#include <vector>

#include "gui/win32/Win32Hwnd.h"

namespace {
// {8856F961-340A-11D0-A96B-00C04FD705A2}
constexpr GUID kWebBrowserClass = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
// {D30C1661-CDAF-11D0-8A3E-00C04FC9E26E}
constexpr GUID kWebBrowserInterface = {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
// {EAB22AC2-30C1-11CF-A7EB-0000C05BAE0B}
constexpr GUID kBrowserEvents = {0xEAB22AC2, 0x30C1, 0x11CF, {0xA7, 0xEB, 0x00, 0x00, 0xC0, 0x5B, 0xAE, 0x0B}};
// {BD3F23C0-D43E-11CF-893B-00AA00BDCE1A}
constexpr GUID kDocHostUIHandler = {0xBD3F23C0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};

// {25336920-03F9-11CF-8FD0-00AA00686F13}
constexpr GUID kHtmlDocumentClass = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

constexpr std::size_t kLongestUrl = 16384;

std::wstring wide(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
    out.resize(std::wcslen(out.c_str()));
    return out;
}

RECT clientOf(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}

// The BSTR an argument holds, directly or by reference; null otherwise.
const wchar_t* stringArgument(const VARIANT& v) {
    if (v.vt == VT_BSTR) return v.bstrVal;
    if (v.vt == (VT_BSTR | VT_BYREF) && v.pbstrVal) return *v.pbstrVal;
    if (v.vt == (VT_VARIANT | VT_BYREF) && v.pvarVal && v.pvarVal->vt == VT_BSTR) return v.pvarVal->bstrVal;
    return nullptr;
}
}  // namespace

// Reference counts are not real: the objects live as long as the site.
#define QX_FIXED_COUNT                                           \
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }     \
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

// ---------------------------------------------------------------- client site

class Win32BrowserSite::Site final : public IOleClientSite, public IOleInPlaceSite, public IDocHostUIHandler {
public:
    explicit Site(Win32BrowserSite& owner) : owner_(owner) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
            *out = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(iid, IID_IOleInPlaceSite))
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (IsEqualIID(iid, kDocHostUIHandler))
            *out = static_cast<IDocHostUIHandler*>(this);
        else
            return E_NOINTERFACE;
        return S_OK;
    }
    QX_FIXED_COUNT

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = owner_.host_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (frame) *frame = owner_.frame();
        if (document) *document = nullptr;
        const RECT area = clientOf(owner_.host_);
        if (position) *position = area;
        if (clip) *clip = area;
        if (info) {
            info->fMDIApp = FALSE;
            info->hwndFrame = owner_.host_;
            info->haccel = nullptr;
            info->cAccelEntries = 0;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return E_NOTIMPL; }

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
        return (owner_.style_ & 1) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* out, DWORD) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, OLECHAR*, OLECHAR** out) override {
        if (out) *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** out) override {
        if (out) *out = nullptr;
        return S_FALSE;
    }

private:
    Win32BrowserSite& owner_;
};

// ---------------------------------------------------------------- frame

class Win32BrowserSite::Frame final : public IOleInPlaceFrame {
public:
    explicit Frame(HWND host) : host_(host) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IOleWindow) &&
            !IsEqualIID(iid, IID_IOleInPlaceUIWindow) && !IsEqualIID(iid, IID_IOleInPlaceFrame))
            return E_NOINTERFACE;
        *out = static_cast<IOleInPlaceFrame*>(this);
        return S_OK;
    }
    QX_FIXED_COUNT
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = host_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return E_NOTIMPL; }

private:
    HWND host_;
};

// ---------------------------------------------------------------- storage

class Win32BrowserSite::Storage final : public IStorage {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IStorage)) return E_NOINTERFACE;
        *out = static_cast<IStorage*>(this);
        return S_OK;
    }
    QX_FIXED_COUNT
    HRESULT STDMETHODCALLTYPE CreateStream(const OLECHAR*, DWORD, DWORD, DWORD, IStream**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenStream(const OLECHAR*, void*, DWORD, DWORD, IStream**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateStorage(const OLECHAR*, DWORD, DWORD, DWORD, IStorage**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OpenStorage(const OLECHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CopyTo(DWORD, const IID*, SNB, IStorage*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumElements(DWORD, void*, DWORD, IEnumSTATSTG**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DestroyElement(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RenameElement(const OLECHAR*, const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*,
                                              const FILETIME*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetClass(REFCLSID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStateBits(DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
};

// ---------------------------------------------------------------- event sink

class Win32BrowserSite::Sink final : public IDispatch {
public:
    explicit Sink(Win32BrowserSite& owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !IsEqualIID(iid, kBrowserEvents))
            return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        return S_OK;
    }
    QX_FIXED_COUNT
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (!params || !params->rgvarg) return S_OK;
        // The program may free the view on the event; it goes when the call is over.
        Win32KeepAlive keep(owner_.owner_.keptDuringCalls());
        const UINT n = params->cArgs;
        // Arguments arrive last first.
        if (id == DISPID_BEFORENAVIGATE && n >= 6) {
            const VARIANT& cancel = params->rgvarg[0];
            VARIANT_BOOL* flag = cancel.vt == (VT_BOOL | VT_BYREF) ? cancel.pboolVal : nullptr;
            owner_.beforeNavigate(stringArgument(params->rgvarg[n - 1]), flag);
        } else if (id == DISPID_NAVIGATECOMPLETE && n >= 1) {
            owner_.navigateComplete(stringArgument(params->rgvarg[n - 1]));
        }
        return S_OK;
    }

private:
    Win32BrowserSite& owner_;
};

#undef QX_FIXED_COUNT

// ---------------------------------------------------------------- site

Win32BrowserSite::Win32BrowserSite(Win32BrowserOwner& owner, HWND host, int style)
    : owner_(owner), host_(host), style_(style), site_(new Site(*this)), frame_(new Frame(host)),
      storage_(new Storage), sink_(new Sink(*this)) {}

Win32BrowserSite::~Win32BrowserSite() {
    releaseBrowser();
    delete sink_;
    delete storage_;
    delete frame_;
    delete site_;
    if (oleStarted_) OleUninitialize();
}

IOleClientSite* Win32BrowserSite::clientSite() { return site_; }
IOleInPlaceFrame* Win32BrowserSite::frame() { return frame_; }
IStorage* Win32BrowserSite::storage() { return storage_; }
IDispatch* Win32BrowserSite::eventSink() { return sink_; }

bool win32HtmlEngineAvailable() {
    IUnknown* document = nullptr;
    if (FAILED(CoCreateInstance(kHtmlDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&document))) ||
        !document)
        return false;
    document->Release();
    return true;
}

bool Win32BrowserSite::create() {
    if (!oleStarted_) oleStarted_ = SUCCEEDED(OleInitialize(nullptr));
    // A browser object without an HTML engine (Wine without Gecko) shows
    // nothing and never completes a navigation: count it as no browser.
    if (!win32HtmlEngineAvailable()) return false;
    void* made = nullptr;
    if (FAILED(OleCreate(kWebBrowserClass, IID_IOleObject, OLERENDER_DRAW, nullptr, site_, storage_, &made)) || !made)
        return false;
    object_ = static_cast<IOleObject*>(made);
    OleSetContainedObject(object_, TRUE);
    object_->SetHostNames(L"Web Host", L"Web View");
    void* web = nullptr;
    void* inPlace = nullptr;
    void* container = nullptr;
    if (FAILED(object_->QueryInterface(kWebBrowserInterface, &web)) ||
        FAILED(object_->QueryInterface(IID_IOleInPlaceObject, &inPlace)) ||
        FAILED(object_->QueryInterface(IID_IConnectionPointContainer, &container))) {
        if (web) static_cast<IUnknown*>(web)->Release();
        if (inPlace) static_cast<IUnknown*>(inPlace)->Release();
        if (container) static_cast<IUnknown*>(container)->Release();
        releaseBrowser();
        return false;
    }
    web_ = static_cast<IWebBrowser2*>(web);
    inPlace_ = static_cast<IOleInPlaceObject*>(inPlace);
    auto* points = static_cast<IConnectionPointContainer*>(container);
    if (SUCCEEDED(points->FindConnectionPoint(kBrowserEvents, &events_)) && events_)
        if (FAILED(events_->Advise(sink_, &cookie_))) cookie_ = 0;
    points->Release();
    RECT area = clientOf(host_);
    if (FAILED(object_->DoVerb(OLEIVERB_SHOW, nullptr, site_, -1, host_, &area))) {
        releaseBrowser();
        return false;
    }
    go("about:blank");
    return true;
}

void Win32BrowserSite::releaseBrowser() {
    if (events_) {
        if (cookie_) events_->Unadvise(cookie_);
        events_->Release();
        events_ = nullptr;
        cookie_ = 0;
    }
    if (inPlace_) {
        inPlace_->Release();
        inPlace_ = nullptr;
    }
    if (web_) {
        web_->Release();
        web_ = nullptr;
    }
    if (object_) {
        object_->Close(OLECLOSE_NOSAVE);
        object_->Release();
        object_ = nullptr;
    }
}

void Win32BrowserSite::go(const char* url) {
    ready_ = false;
    if (!web_) return;
    BSTR address = SysAllocString(wide(url ? url : "").c_str());
    VARIANT none;
    VariantInit(&none);
    web_->Navigate(address, &none, &none, &none, &none);
    SysFreeString(address);
}

void Win32BrowserSite::run(const char* script) {
    if (!web_) return;
    IDispatch* document = nullptr;
    if (FAILED(web_->get_Document(&document)) || !document) return;
    IHTMLDocument2* html = nullptr;
    if (SUCCEEDED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&html))) && html) {
        IHTMLWindow2* window = nullptr;
        if (SUCCEEDED(html->get_parentWindow(&window)) && window) {
            BSTR code = SysAllocString(wide(script ? script : "").c_str());
            BSTR language = SysAllocString(L"");
            VARIANT result;
            VariantInit(&result);
            window->execScript(code, language, &result);
            VariantClear(&result);
            SysFreeString(language);
            SysFreeString(code);
            window->Release();
        }
        html->Release();
    }
    document->Release();
}

void Win32BrowserSite::back() {
    if (web_) web_->GoBack();
}

void Win32BrowserSite::forward() {
    if (web_) web_->GoForward();
}

int Win32BrowserSite::status() {
    if (!web_) return -1;
    VARIANT_BOOL busy = VARIANT_FALSE;
    if (FAILED(web_->get_Busy(&busy))) return 0;
    return busy ? 1 : 0;
}

void Win32BrowserSite::fitToHost() {
    if (!inPlace_) return;
    RECT area = clientOf(host_);
    inPlace_->SetObjectRects(&area, &area);
}

std::string Win32BrowserSite::narrow(const wchar_t* url) {
    std::string out;
    if (!url) return out;
    for (std::size_t i = 0; i < kLongestUrl && url[i]; ++i) out.push_back(static_cast<char>(url[i] & 0xFF));
    return out;
}

void Win32BrowserSite::beforeNavigate(const wchar_t* url, VARIANT_BOOL* cancel) {
    if ((style_ & 2) && ready_) {
        eventUrl_ = narrow(url);
        if (cancel) *cancel = VARIANT_TRUE;
        owner_.browserEvent(1);
    }
    ready_ = true;
}

void Win32BrowserSite::navigateComplete(const wchar_t* url) {
    currentUrl_ = narrow(url);
    owner_.browserEvent(0);
}
