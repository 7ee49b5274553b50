#include "gui/win32/Win32Hwnd.h"

#include <array>
#include <cstdint>
#include <map>

#include "events/QXEvent.h"
#include "events/QXEventFilter.h"
#include "events/QXEventSource.h"
#include "events/QXHotKeys.h"
#include "gui/QXGadget.h"

namespace {
constexpr int kCursorCount = 7;

std::map<HWND, Win32Hwnd*>& windowMap() {
    static std::map<HWND, Win32Hwnd*> map;
    return map;
}

Win32Hwnd* mouseOver = nullptr;
HCURSOR cursorTable[kCursorCount] = {};

// Characters of keys without their own: arrows, F1-F24, the editing block.
const std::array<int, 256> specialKeyCharacters = [] {
    std::array<int, 256> table{};
    table[VK_UP] = 0xF700;
    table[VK_DOWN] = 0xF701;
    table[VK_LEFT] = 0xF702;
    table[VK_RIGHT] = 0xF703;
    for (int key = VK_F1; key <= VK_F24; ++key) table[key] = 0xF704 + (key - VK_F1);
    table[VK_INSERT] = 0xF727;
    table[VK_DELETE] = 0xF728;
    table[VK_HOME] = 0xF729;
    table[VK_END] = 0xF72B;
    table[VK_PRIOR] = 0xF72C;
    table[VK_NEXT] = 0xF72D;
    return table;
}();

bool isModifierKey(WPARAM key) { return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU; }

int buttonOf(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return 2;
    default: return 3;
    }
}

}  // namespace

// ---------------------------------------------------------------- keep alive

Win32KeepAlive::Win32KeepAlive(QXObject* object) {
    auto* gadget = dynamic_cast<QXGadget*>(object);
    if (!gadget) {
        hold(object);
        return;
    }
    for (QXGadget* g = gadget; g && count_ < kDepth; g = g->group()) hold(g);
}

Win32KeepAlive::~Win32KeepAlive() {
    for (int i = 0; i < count_; ++i) release(kept_[i]);
}

void Win32KeepAlive::hold(QXObject* object) {
    // An object already on its way out is not brought back.
    if (!object || object->refCount <= 0) return;
    retain(object);
    kept_[count_++] = object;
}

// ---------------------------------------------------------------- wrapper

void Win32Hwnd::attach(HWND handle) {
    if (hwnd_) {
        windowMap().erase(hwnd_);
        if (previous_ != DefWindowProcA && IsWindow(hwnd_))
            SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    }
    hwnd_ = handle;
    previous_ = nullptr;
    if (!handle) return;
    auto replaced = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&win32SharedWindowProc)));
    // A window of the runtime's own class runs the shared procedure already:
    // falling back on it would recurse without end.
    previous_ = (replaced == &win32SharedWindowProc || !replaced) ? DefWindowProcA : replaced;
    windowMap()[handle] = this;
}

void Win32Hwnd::destroy() {
    if (mouseOver == this) mouseOver = nullptr;
    if (!hwnd_) return;
    HWND handle = hwnd_;
    attach(nullptr);
    DestroyWindow(handle);
}

void Win32Hwnd::forget() {
    windowMap().erase(hwnd_);
    hwnd_ = nullptr;
    previous_ = nullptr;
}

int Win32Hwnd::query(int queryId) const {
    if (queryId == kGadgetWindowQuery || queryId == kGadgetClientWindowQuery)
        return static_cast<int>(reinterpret_cast<std::uintptr_t>(hwnd_));
    return 0;
}

void Win32Hwnd::setCursor(int index) {
    cursor_ = index < 0 ? 0 : index >= kCursorCount ? kCursorCount - 1 : index;
    if (!hwnd_) return;
    POINT at{};
    if (!GetCursorPos(&at)) return;
    const LRESULT hit = SendMessageA(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    if (hit == HTCLIENT)
        SendMessageA(hwnd_, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd_), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void Win32Hwnd::clientRect(int& x, int& y, int& width, int& height) const {
    RECT r{};
    if (hwnd_) GetClientRect(hwnd_, &r);
    x = r.left;
    y = r.top;
    width = r.right - r.left;
    height = r.bottom - r.top;
}

void Win32Hwnd::movePointer(int x, int y) {
    if (!hwnd_) return;
    int cx, cy, cw, ch;
    clientRect(cx, cy, cw, ch);
    if (virtualWidth_ && virtualHeight_) {
        x = static_cast<int>(static_cast<long long>(x) * cw / virtualWidth_);
        y = static_cast<int>(static_cast<long long>(y) * ch / virtualHeight_);
    }
    POINT at{x, y};
    ClientToScreen(hwnd_, &at);
    SetCursorPos(at.x, at.y);
}

void Win32Hwnd::emit(int id, int data, int x, int y, int z) {
    if (source_) source_->emit(id, data, x, y, z);
    else postEvent(id, data, x, y, z, 0);
}

void Win32Hwnd::pointFromMessage(LPARAM lParam, int& x, int& y) const {
    // Signed: a captured pointer left of or above the window is negative.
    x = static_cast<short>(LOWORD(lParam));
    y = static_cast<short>(HIWORD(lParam));
    if (!virtualWidth_ || !virtualHeight_) return;
    int cx, cy, cw, ch;
    clientRect(cx, cy, cw, ch);
    // A minimised window has no client area to scale from.
    if (cw <= 0 || ch <= 0) return;
    x = static_cast<int>(static_cast<long long>(virtualWidth_) * x / cw);
    y = static_cast<int>(static_cast<long long>(virtualHeight_) * y / ch);
}

void Win32Hwnd::translateKeyDown(WPARAM wParam, LPARAM lParam) {
    const bool repeated = (lParam & (1 << 30)) != 0;
    const int keyCode = repeated ? 0 : keyCodeOfKeyMessage(static_cast<std::uint32_t>(lParam));
    if (!repeated) {
        if (isModifierKey(wParam)) updateModifierSet(static_cast<int>(wParam), true);
        else if (hotKeyLookup(keyCode, modifierSet())) return;  // its event replaces the key's own
    }
    if (!(sensitivity_ & kSenseKeysAndButtons)) return;
    if (keyCode) emit(EVENT_KEYDOWN, keyCode, 0, 0, 0);
    if (wParam > 0 && wParam < 256)
        if (int character = specialKeyCharacters[wParam]) emit(EVENT_KEYCHAR, character, 0, 0, 0);
}

void Win32Hwnd::translateMouseMove(LPARAM lParam) {
    int x, y;
    pointFromMessage(lParam, x, y);
    const bool moved = x != lastX_ || y != lastY_;
    lastX_ = x;
    lastY_ = y;
    if (mouseOver != this) {
        if (Win32Hwnd* left = mouseOver) {
            mouseOver = nullptr;
            left->emit(EVENT_MOUSELEAVE, 0, 0, 0, 0);
        }
        mouseOver = this;
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd_, 0};
        TrackMouseEvent(&track);
        emit(EVENT_MOUSEENTER, 0, x, y, 0);
    }
    if (moved) emit(EVENT_MOUSEMOVE, 0, x, y, 0);
}

void Win32Hwnd::translate(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: translateKeyDown(wParam, lParam); return;
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const int keyCode = keyCodeOfKeyMessage(static_cast<std::uint32_t>(lParam));
        if (isModifierKey(wParam)) updateModifierSet(static_cast<int>(wParam), false);
        if ((sensitivity_ & kSenseKeysAndButtons) && keyCode) emit(EVENT_KEYUP, keyCode, 0, 0, 0);
        return;
    }
    case WM_CHAR:
    case WM_SYSCHAR:
        if (sensitivity_ & kSenseKeysAndButtons) emit(EVENT_KEYCHAR, static_cast<int>(wParam), 0, 0, 0);
        return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (!(sensitivity_ & kSenseKeysAndButtons)) return;
        SetCapture(hwnd_);
        // The button message carries the position; without motion events
        // nothing else would keep it.
        pointFromMessage(lParam, lastX_, lastY_);
        emit(EVENT_MOUSEDOWN, buttonOf(message), lastX_, lastY_, modifierSet());
        return;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (!(sensitivity_ & kSenseKeysAndButtons)) return;
        if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
        pointFromMessage(lParam, lastX_, lastY_);
        emit(EVENT_MOUSEUP, buttonOf(message), lastX_, lastY_, modifierSet());
        return;
    case WM_MOUSEWHEEL:
        if (sensitivity_ & kSenseKeysAndButtons)
            emit(EVENT_MOUSEWHEEL, static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA, 0, 0, 0);
        return;
    case WM_MOUSEMOVE:
        if (sensitivity_ & kSenseMotion) translateMouseMove(lParam);
        return;
    case WM_MOUSELEAVE:
        if ((sensitivity_ & kSenseMotion) && mouseOver) {
            Win32Hwnd* left = mouseOver;
            mouseOver = nullptr;
            left->emit(EVENT_MOUSELEAVE, 0, 0, 0, 0);
        }
        return;
    default: return;
    }
}

// ---------------------------------------------------------------- the shared procedure

Win32Hwnd* win32WrapperOf(HWND hwnd) {
    auto& map = windowMap();
    auto found = map.find(hwnd);
    return found == map.end() ? nullptr : found->second;
}

std::size_t win32WindowMapSize() { return windowMap().size(); }
Win32Hwnd* win32MouseOverWindow() { return mouseOver; }

int win32SpecialKeyCharacter(int virtualKey) {
    return virtualKey > 0 && virtualKey < 256 ? specialKeyCharacters[virtualKey] : 0;
}

LRESULT CALLBACK win32SharedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Hwnd* receiver = win32WrapperOf(hwnd);
    if (!receiver) return DefWindowProcA(hwnd, message, wParam, lParam);
    Win32KeepAlive keepReceiver(receiver->owner());
    const WNDPROC previous = receiver->previous();
    if (message == WM_NCDESTROY) {
        // Destroyed along with its parent: the wrapper stays, the window goes.
        receiver->forget();
        return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    }

    Win32Hwnd* target = receiver;
    switch (message) {
    case WM_ACTIVATEAPP: postEvent(wParam ? EVENT_APPRESUME : EVENT_APPSUSPEND, 0, 0, 0, 0, 0); break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == hwnd && LOWORD(lParam) == HTCLIENT && receiver->cursor() != 1) {
            win32WindowClass();  // the cursor table
            SetCursor(cursorTable[receiver->cursor()]);
            return TRUE;
        }
        break;
    case WM_NOTIFY:
        target = lParam ? win32WrapperOf(reinterpret_cast<NMHDR*>(lParam)->hwndFrom) : nullptr;
        break;
    case WM_COMMAND:
        if (lParam == 0) {  // a menu item or an accelerator
            postEvent(EVENT_MENUACTION, LOWORD(wParam), 0, 0, 0, 0);
            return 0;
        }
        target = win32WrapperOf(reinterpret_cast<HWND>(lParam));
        break;
    case WM_HSCROLL:
    case WM_VSCROLL: target = lParam ? win32WrapperOf(reinterpret_cast<HWND>(lParam)) : nullptr; break;
    case WM_ENTERMENULOOP: postEvent(EVENT_MODALENTER, 0, 0, 0, 0, 0); return 0;
    case WM_EXITMENULOOP: postEvent(EVENT_MODALEXIT, 0, 0, 0, 0, 0); return 0;
    default: receiver->translate(message, wParam, lParam); break;
    }
    // The events above may have let the program free the target.
    if (target && target != receiver) {
        Win32KeepAlive keepTarget(target->owner());
        if (Win32WndProc* handler = target->handler())
            return handler->handleMessage(hwnd, message, wParam, lParam, previous);
        return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    }
    // Default processing hands the wheel on to the parent window, which would
    // report the same turn again.
    if (message == WM_MOUSEWHEEL && (receiver->sensitivity() & kSenseKeysAndButtons) && previous == DefWindowProcA)
        return 0;
    if (target && target->hwnd() && target->handler())
        return target->handler()->handleMessage(hwnd, message, wParam, lParam, previous);
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------- class

const char* win32WindowClass() {
    static const char* const name = [] {
        const char* className = "ORVANE_WINDOW_CLASS";
        WNDCLASSA wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
        wc.lpfnWndProc = &win32SharedWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        RegisterClassA(&wc);
        const LPCSTR cursors[kCursorCount] = {nullptr,     IDC_ARROW,   IDC_WAIT, IDC_SIZEWE,
                                              IDC_SIZENS, IDC_SIZENWSE, IDC_CROSS};
        for (int i = 1; i < kCursorCount; ++i) cursorTable[i] = LoadCursorA(nullptr, cursors[i]);
        return className;
    }();
    return name;
}
