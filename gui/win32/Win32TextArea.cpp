// The native text area over the rich edit control ("RichEdit", riched32).
// Every programmatic change runs locked, so that the user's selection comes
// back and no event is posted; user edits are told from the program's own by
// the protected-text notification that comes before each of them, and by
// the lock: a change made while the program holds none is the user's.

#include <windows.h>
#include <richedit.h>

#include <cstring>
#include <string>

#include "core/QXString.h"
#include "gui/win32/Win32Gadgets.h"

namespace {
constexpr UINT kTextChange = 0x300;  // EN_CHANGE

LRESULT send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return hwnd ? SendMessageA(hwnd, message, wParam, lParam) : 0;
}
template <class T> LPARAM addressOf(T& value) { return reinterpret_cast<LPARAM>(&value); }

COLORREF colourOf(int red, int green, int blue) {
    return RGB(red & 0xFF, green & 0xFF, blue & 0xFF);
}

// Hands the control the string's bytes in the pieces it asks for.
struct StreamSource {
    const char* next;
    std::size_t left;
};
DWORD CALLBACK streamPiece(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const std::size_t n = wanted <= 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(wanted), source->left);
    std::memcpy(buffer, source->next, n);
    source->next += n;
    source->left -= n;
    *given = static_cast<LONG>(n);
    return 0;
}
}  // namespace

int Win32TextArea::textLength() { return static_cast<int>(send(control_.hwnd(), WM_GETTEXTLENGTH, 0, 0)); }
int Win32TextArea::lineCount() {
    const auto n = static_cast<int>(send(control_.hwnd(), EM_GETLINECOUNT, 0, 0));
    return n < 1 ? 1 : n;
}
int Win32TextArea::lineStart(int line) {
    const auto start = static_cast<int>(send(control_.hwnd(), EM_LINEINDEX, line, 0));
    return start < 0 ? textLength() : start;
}
int Win32TextArea::lineAt(int character) {
    return static_cast<int>(send(control_.hwnd(), EM_EXLINEFROMCHAR, 0, character));
}
void Win32TextArea::selection(int& start, int& end) {
    CHARRANGE range{0, 0};
    send(control_.hwnd(), EM_EXGETSEL, 0, addressOf(range));
    start = range.cpMin;
    end = range.cpMax;
}

void Win32TextArea::lock() {
    if (lockCount_++ != 0) return;
    send(control_.hwnd(), EM_HIDESELECTION, TRUE, 0);
    selection(savedStart_, savedEnd_);
}

void Win32TextArea::unlock() {
    if (lockCount_-- != 1) return;
    CHARRANGE saved{savedStart_, savedEnd_};
    send(control_.hwnd(), EM_EXSETSEL, 0, addressOf(saved));
    send(control_.hwnd(), EM_HIDESELECTION, FALSE, 0);
}

void Win32TextArea::selectLocked(int start, int end) {
    lock();
    CHARRANGE range{start, end};
    send(control_.hwnd(), EM_EXSETSEL, 0, addressOf(range));
}

void Win32TextArea::streamIn(QXString* text) {
    HWND hwnd = control_.hwnd();
    const char* bytes = text ? stringCText(text) : "";
    const std::size_t size = std::strlen(bytes);
    // Text beyond the control's limit would be cut off silently: make room.
    const long long needed = static_cast<long long>(textLength()) + static_cast<long long>(size);
    const auto limit = static_cast<long long>(send(hwnd, EM_GETLIMITTEXT, 0, 0));
    if (needed > limit && needed < 0x7FFFFFFF) send(hwnd, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(needed));
    StreamSource source{bytes, size};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, streamPiece};
    send(hwnd, EM_STREAMIN, SF_TEXT | SFF_SELECTION, addressOf(stream));
}

void Win32TextArea::setTabs(int tabs) {
    HWND hwnd = control_.hwnd();
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    const int twipsPerPixel = 11520 / (dpi > 0 ? dpi : 96);
    PARAFORMAT format{};
    format.cbSize = sizeof format;
    format.dwMask = PFM_TABSTOPS;
    format.cTabCount = MAX_TAB_STOPS;
    for (int i = 0; i < MAX_TAB_STOPS; ++i)
        format.rgxTabs[i] = static_cast<LONG>(static_cast<long long>(i) * tabs * twipsPerPixel);
    selectLocked(0, -1);
    send(hwnd, EM_SETPARAFORMAT, 0, addressOf(format));
    unlock();
}

void Win32TextArea::setTextColour(int red, int green, int blue) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_PROTECTED;
    format.dwEffects = CFE_PROTECTED;
    format.crTextColor = colourOf(red, green, blue);
    selectLocked(0, -1);
    send(control_.hwnd(), EM_SETCHARFORMAT, SCF_SELECTION, addressOf(format));
    unlock();
}

void Win32TextArea::setBackgroundColour(int red, int green, int blue) {
    send(control_.hwnd(), EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(colourOf(red, green, blue)));
}

void Win32TextArea::addText(QXString* text) {
    const int end = textLength();
    selectLocked(end, end);
    streamIn(text);
    unlock();
    const int newEnd = textLength();
    CHARRANGE caret{newEnd, newEnd};
    send(control_.hwnd(), EM_EXSETSEL, 0, addressOf(caret));
}

void Win32TextArea::replaceText(QXString* text, int pos, int len, int units) {
    const Range range = normalise(pos, len, units);
    selectLocked(range.pos, range.pos + range.len);
    streamIn(text);
    unlock();
}

void Win32TextArea::formatText(int red, int green, int blue, int flags, int pos, int len, int units) {
    const Range range = normalise(pos, len, units);
    if (range.len == 0) return;
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_PROTECTED;
    format.crTextColor = colourOf(red, green, blue);
    format.dwEffects = CFE_PROTECTED | ((flags & 1) ? CFE_BOLD : 0) | ((flags & 2) ? CFE_ITALIC : 0);
    HWND hwnd = control_.hwnd();
    selectLocked(range.pos, range.pos + range.len);
    CHARFORMATA current{};
    current.cbSize = sizeof current;
    send(hwnd, EM_GETCHARFORMAT, TRUE, addressOf(current));
    const DWORD styles = CFE_BOLD | CFE_ITALIC;
    // A mixed selection reports the effects it does not share as unknown.
    const bool same = (current.dwMask & (CFM_BOLD | CFM_ITALIC | CFM_COLOR)) == (CFM_BOLD | CFM_ITALIC | CFM_COLOR) &&
                      (current.dwEffects & styles) == (format.dwEffects & styles) &&
                      !(current.dwEffects & CFE_AUTOCOLOR) && current.crTextColor == format.crTextColor;
    if (!same) send(hwnd, EM_SETCHARFORMAT, SCF_SELECTION, addressOf(format));
    unlock();
}

QXString* Win32TextArea::readText(int pos, int len, int units) {
    const Range range = normalise(pos, len, units);
    if (range.len <= 0 || !control_.hwnd()) return emptyString();
    // Room for two bytes a character: a double-byte code page never overruns.
    std::string buffer(static_cast<std::size_t>(range.len) * 2 + 2, '\0');
    TEXTRANGEA request{{range.pos, range.pos + range.len}, buffer.data()};
    const auto got = static_cast<int>(send(control_.hwnd(), EM_GETTEXTRANGE, 0, addressOf(request)));
    const std::size_t kept = std::strlen(buffer.c_str());
    buffer.resize(got > 0 && static_cast<std::size_t>(got) < kept ? static_cast<std::size_t>(got) : kept);
    return newString(std::string_view(buffer));
}

LRESULT Win32TextArea::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (hwnd != control_.hwnd()) {
        if (message == WM_NOTIFY) {
            const auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->code == EN_PROTECTED) {
                if (lockCount_ == 0) pendingChange_ = true;
                return 0;  // the edit goes ahead
            }
            if (header->code == EN_SELCHANGE) {
                if (lockCount_ == 0 && !pendingChange_) emit(0x401, 0, 0, 0, 0);
                return 0;
            }
        } else if (message == WM_COMMAND && HIWORD(wParam) == kTextChange) {
            // The program changes the text only under a lock, so any change
            // without one is the user's, even when no protected-text
            // notification came first (Wine's rich edit sends none).
            if (lockCount_ == 0) {
                emit(0x401, 1, 0, 0, 0);
                pendingChange_ = false;
            }
            return 0;
        }
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}
