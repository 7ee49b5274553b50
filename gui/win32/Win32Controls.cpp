// The own operations of the native button, text field, slider, progress bar
// and tool bar.

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "core/QXString.h"
#include "events/QXEvent.h"
#include "gui/win32/Win32Gadgets.h"
#include "gui/win32/Win32IconStrip.h"

// ---------------------------------------------------------------- button

void Win32Button::setState(int state) {
    if (control_.hwnd()) SendMessageA(control_.hwnd(), BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
    QXButton::setState(state);
}

// ---------------------------------------------------------------- text field

QXString* Win32TextField::currentText() {
    HWND hwnd = control_.hwnd();
    if (!hwnd) return QXTextField::currentText();
    const int length = GetWindowTextLengthA(hwnd);
    std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(hwnd, buffer.data(), length + 1);
    buffer.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return newString(std::string_view(buffer));
}

// ---------------------------------------------------------------- slider

int Win32Slider::value() {
    HWND hwnd = control_.hwnd();
    return hwnd ? GetScrollPos(hwnd, SB_CTL) : QXSlider::value();
}

void Win32Slider::setValue(int value) {
    HWND hwnd = control_.hwnd();
    if (!hwnd) return QXSlider::setValue(value);
    SetScrollPos(hwnd, SB_CTL, value, TRUE);
    QXSlider::setValue(GetScrollPos(hwnd, SB_CTL));  // as the control clamped it
}

void Win32Slider::setRange(int visible, int total) {
    if (HWND hwnd = control_.hwnd()) {
        SCROLLINFO range{};
        range.cbSize = sizeof range;
        range.fMask = SIF_RANGE | SIF_PAGE;
        range.nMin = 0;
        range.nMax = total - 1;
        range.nPage = static_cast<UINT>(visible < 0 ? 0 : visible);
        SetScrollInfo(hwnd, SB_CTL, &range, TRUE);
    }
    QXSlider::setRange(visible, total);
}

LRESULT Win32Slider::scrolled(WPARAM wParam) {
    HWND hwnd = control_.hwnd();
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(hwnd, SB_CTL, &info);
    int position = info.nPos;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: position -= 1; break;
    case SB_LINEDOWN: position += 1; break;
    case SB_PAGEUP: position -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: position += static_cast<int>(info.nPage); break;
    case SB_THUMBPOSITION:
        emit(EVENT_MODALEXIT, 0, 0, 0, 0);
        position = info.nTrackPos;
        break;
    case SB_THUMBTRACK: position = info.nTrackPos; break;
    default: return 0;
    }
    SetScrollPos(hwnd, SB_CTL, position, TRUE);
    QXSlider::setValue(GetScrollPos(hwnd, SB_CTL));
    emit(0x401, value(), 0, 0, 0);
    return 0;
}

// ---------------------------------------------------------------- progress bar

void Win32ProgBar::setProgress(float progress) {
    // Truncated toward zero on the default range 0 to 100; values far outside
    // it stay within an int before the control clamps them.
    double position = static_cast<double>(progress) * 100.0;
    if (!(position > -1e9)) position = position != position ? 0 : -1e9;
    if (position > 1e9) position = 1e9;
    if (control_.hwnd()) SendMessageA(control_.hwnd(), PBM_SETPOS, static_cast<WPARAM>(static_cast<int>(position)), 0);
    QXProgBar::setProgress(progress);
}

// ---------------------------------------------------------------- tool bar

Win32ToolBar::~Win32ToolBar() {
    if (tips_) DestroyWindow(tips_);
}

void Win32ToolBar::setIconStrip(QXIconStrip* strip) {
    HWND bar = control_.hwnd();
    HIMAGELIST images = win32ImageListOf(strip);
    if (!bar || !images) return;
    // The old strip's image list goes with the strip: the control lets go of
    // it (buttons first, they are drawn from it) before the strip is dropped.
    while (SendMessageA(bar, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageA(bar, TB_DELETEBUTTON, 0, 0);
    SendMessageA(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    QXToolBar::setIconStrip(strip);
    for (int i = 0; i < strip->iconCount(); ++i) {
        TBBUTTON button{};
        button.iBitmap = i;
        button.idCommand = i + 1;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON;
        SendMessageA(bar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }
    SendMessageA(bar, TB_AUTOSIZE, 0, 0);
    RECT r{};
    GetWindowRect(bar, &r);
    MapWindowPoints(nullptr, GetParent(bar), reinterpret_cast<POINT*>(&r), 2);
    storeShape(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void Win32ToolBar::enableItem(int index, bool enabled) {
    if (control_.hwnd()) SendMessageA(control_.hwnd(), TB_ENABLEBUTTON, index + 1, MAKELONG(enabled ? TRUE : FALSE, 0));
}

void Win32ToolBar::setTips(QXString* tips) {
    HWND bar = control_.hwnd();
    if (tips_) DestroyWindow(tips_);
    tips_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!bar || !tips_) return;
    const auto size = static_cast<DWORD>(SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0));
    const int width = LOWORD(size), height = HIWORD(size);
    const int icons = iconStrip() ? iconStrip()->iconCount() : 0;
    const std::string text = tips ? stringCText(tips) : "";
    std::size_t start = 0;
    for (int i = 0; i < icons && start < text.size(); ++i) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        std::string piece = text.substr(start, comma - start);
        start = comma + 1;
        if (piece.size() >= 256) break;
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = bar;
        tool.uId = static_cast<UINT_PTR>(i);
        tool.rect = {i * width, 0, (i + 1) * width, height};
        tool.lpszText = piece.data();
        SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}
