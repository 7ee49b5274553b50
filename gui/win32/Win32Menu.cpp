// The native menu bar built from a window's menu tree.

#include <windows.h>

#include "core/QXString.h"
#include "gui/QXMenu.h"
#include "gui/win32/Win32Window.h"

namespace {
UINT stateFlags(const QXMenu& menu) { return (menu.checked ? MF_CHECKED : 0) | (menu.enabled ? 0 : MF_GRAYED); }

// Appends the children of `parent` to `native`; a child with children of its
// own becomes a pop-up built the same way, an empty text a separator.
void appendChildren(HMENU native, const QXMenu& parent) {
    for (const QXMenu* child = parent.firstChild; child; child = child->nextSibling) {
        const char* text = stringCText(child->text);
        if (child->firstChild) {
            HMENU popup = CreatePopupMenu();
            appendChildren(popup, *child);
            AppendMenuA(native, MF_POPUP | stateFlags(*child), reinterpret_cast<UINT_PTR>(popup), text);
        } else if (*text == 0) {
            AppendMenuA(native, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(native, MF_STRING | stateFlags(*child), static_cast<UINT_PTR>(static_cast<unsigned>(child->identifier)),
                        text);
        }
    }
}
}  // namespace

HMENU win32BuildMenuBar(const QXMenu& root) {
    HMENU bar = CreateMenu();
    if (bar) appendChildren(bar, root);
    return bar;
}
