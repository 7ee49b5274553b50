// The item operations of the native combo box ("ComboBoxEx32"), list box
// ("SysListView32", one column) and tabber ("SysTabControl32"). Each checks
// its index first, then changes the control, and changes the item array only
// when the control took the change, so that the two never disagree.

#include <windows.h>
#include <commctrl.h>

#include "core/QXString.h"
#include "gui/win32/Win32Gadgets.h"
#include "gui/win32/Win32IconStrip.h"

namespace {
char* textOf(QXString* text) { return const_cast<char*>(stringCText(text)); }

// The image of an item: only with a strip and a non-negative icon.
bool hasImage(const QXGadget& gadget, int icon) { return icon >= 0 && win32ImageListOf(gadget.iconStrip()); }

LRESULT send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return hwnd ? SendMessageA(hwnd, message, wParam, lParam) : -1;
}
template <class T> LPARAM addressOf(T& value) { return reinterpret_cast<LPARAM>(&value); }
}  // namespace

// ---------------------------------------------------------------- combo box

namespace {
COMBOBOXEXITEMA comboItem(const QXGadget& gadget, int index, QXString* text, int icon) {
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_TEXT;
    item.iItem = index;
    item.pszText = textOf(text);
    if (hasImage(gadget, icon)) {
        item.mask |= CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iImage = item.iSelectedImage = icon;
    }
    return item;
}
}  // namespace

void Win32ComboBox::rereadSelection() {
    const auto current = static_cast<int>(send(control_.hwnd(), CB_GETCURSEL, 0, 0));
    QXItemList::selectItem(current < items().count() ? current : -1);
}

void Win32ComboBox::clearItems() {
    send(control_.hwnd(), CB_RESETCONTENT, 0, 0);
    QXItemList::clearItems();
}

void Win32ComboBox::addItem(QXString* text, int icon) {
    COMBOBOXEXITEMA item = comboItem(*this, -1, text, icon);
    if (send(control_.hwnd(), CBEM_INSERTITEMA, 0, addressOf(item)) < 0) return;
    QXItemList::addItem(text, icon);
}

void Win32ComboBox::insertItem(int index, QXString* text, int icon) {
    items().checkIndex(index, 1);
    COMBOBOXEXITEMA item = comboItem(*this, index, text, icon);
    if (send(control_.hwnd(), CBEM_INSERTITEMA, 0, addressOf(item)) < 0) return;
    QXItemList::insertItem(index, text, icon);
    rereadSelection();
}

void Win32ComboBox::modifyItem(int index, QXString* text, int icon) {
    items().checkIndex(index);
    COMBOBOXEXITEMA item = comboItem(*this, index, text, icon);
    if (!send(control_.hwnd(), CBEM_SETITEMA, 0, addressOf(item))) return;
    QXItemList::modifyItem(index, text, icon);
}

void Win32ComboBox::removeItem(int index) {
    items().checkIndex(index);
    if (send(control_.hwnd(), CBEM_DELETEITEM, index, 0) < 0) return;
    QXItemList::removeItem(index);
    rereadSelection();
}

void Win32ComboBox::selectItem(int index) {
    if (index >= 0) items().checkIndex(index);
    send(control_.hwnd(), CB_SETCURSEL, index < 0 ? static_cast<WPARAM>(-1) : index, 0);
    QXItemList::selectItem(index);
}

void Win32ComboBox::setIconStrip(QXIconStrip* strip) {
    send(control_.hwnd(), CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(win32ImageListOf(strip)));
    QXComboBox::setIconStrip(strip);
}

// ---------------------------------------------------------------- list box

namespace {
LVITEMA listItem(const QXGadget& gadget, int index, QXString* text, int icon) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = textOf(text);
    if (hasImage(gadget, icon)) {
        item.mask |= LVIF_IMAGE;
        item.iImage = icon;
    }
    return item;
}
}  // namespace

void Win32ListBox::rereadSelection() {
    const auto first = static_cast<int>(send(control_.hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    QXItemList::selectItem(first < items().count() ? first : -1);
}

void Win32ListBox::clearItems() {
    send(control_.hwnd(), LVM_DELETEALLITEMS, 0, 0);
    QXItemList::clearItems();
    rereadSelection();
}

void Win32ListBox::addItem(QXString* text, int icon) {
    LVITEMA item = listItem(*this, items().count(), text, icon);
    if (send(control_.hwnd(), LVM_INSERTITEMA, 0, addressOf(item)) < 0) return;
    QXItemList::addItem(text, icon);
}

void Win32ListBox::insertItem(int index, QXString* text, int icon) {
    items().checkIndex(index, 1);
    LVITEMA item = listItem(*this, index, text, icon);
    if (send(control_.hwnd(), LVM_INSERTITEMA, 0, addressOf(item)) < 0) return;
    QXItemList::insertItem(index, text, icon);
    rereadSelection();
}

void Win32ListBox::modifyItem(int index, QXString* text, int icon) {
    items().checkIndex(index);
    LVITEMA item = listItem(*this, index, text, icon);
    if (!send(control_.hwnd(), LVM_SETITEMA, 0, addressOf(item))) return;
    QXItemList::modifyItem(index, text, icon);
}

void Win32ListBox::removeItem(int index) {
    items().checkIndex(index);
    if (!send(control_.hwnd(), LVM_DELETEITEM, index, 0)) return;
    QXItemList::removeItem(index);
    rereadSelection();
}

void Win32ListBox::selectItem(int index) {
    if (index >= 0) items().checkIndex(index);
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = index < 0 ? 0 : LVIS_SELECTED | LVIS_FOCUSED;
    // A negative index clears the selection of every item.
    send(control_.hwnd(), LVM_SETITEMSTATE, index < 0 ? static_cast<WPARAM>(-1) : index, addressOf(state));
    if (index >= 0) send(control_.hwnd(), LVM_ENSUREVISIBLE, index, FALSE);
    QXItemList::selectItem(index);
}

void Win32ListBox::userSelected() {
    const auto first = static_cast<int>(send(control_.hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (first < 0 || first >= items().count()) {
        // A click on empty space: the stored selection stays, on the control too.
        const int stored = items().selected();
        if (stored >= 0) selectItem(stored);
        return;
    }
    QXItemList::selectItem(first);
    emit(0x401, first, 0, 0, 0);
}

void Win32ListBox::setIconStrip(QXIconStrip* strip) {
    send(control_.hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(win32ImageListOf(strip)));
    QXListBox::setIconStrip(strip);
}

// ---------------------------------------------------------------- tabber

namespace {
TCITEMA tabItem(const QXGadget& gadget, QXString* text, int icon) {
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = textOf(text);
    item.iImage = hasImage(gadget, icon) ? icon : -1;
    return item;
}
}  // namespace

void Win32Tabber::rereadSelection() {
    HWND tabs = control_.hwnd();
    const int current = send(tabs, TCM_GETITEMCOUNT, 0, 0) > 0 ? static_cast<int>(send(tabs, TCM_GETCURSEL, 0, 0)) : -1;
    QXItemList::selectItem(current < items().count() ? current : -1);
}

void Win32Tabber::clearItems() {
    send(control_.hwnd(), TCM_DELETEALLITEMS, 0, 0);
    QXItemList::clearItems();
}

void Win32Tabber::addItem(QXString* text, int icon) { insertItem(items().count(), text, icon); }

void Win32Tabber::insertItem(int index, QXString* text, int icon) {
    items().checkIndex(index, 1);
    HWND tabs = control_.hwnd();
    if (items().count() == 0) send(tabs, TCM_DELETEALLITEMS, 0, 0);
    TCITEMA item = tabItem(*this, text, icon);
    if (send(tabs, TCM_INSERTITEMA, index, addressOf(item)) < 0) return;
    QXItemList::insertItem(index, text, icon);
    rereadSelection();
}

void Win32Tabber::modifyItem(int index, QXString* text, int icon) {
    items().checkIndex(index);
    TCITEMA item = tabItem(*this, text, icon);
    if (!send(control_.hwnd(), TCM_SETITEMA, index, addressOf(item))) return;
    QXItemList::modifyItem(index, text, icon);
}

void Win32Tabber::removeItem(int index) {
    items().checkIndex(index);
    if (items().count() == 1) return clearItems();
    HWND tabs = control_.hwnd();
    const auto selectedBefore = static_cast<int>(send(tabs, TCM_GETCURSEL, 0, 0));
    if (!send(tabs, TCM_DELETEITEM, index, 0)) return;
    QXItemList::removeItem(index);
    if (index == selectedBefore) {
        // The same place, or the one before when the last tab went.
        const int next = index < items().count() ? index : index - 1;
        send(tabs, TCM_SETCURSEL, next, 0);
        QXItemList::selectItem(next);
    } else {
        // A tab before the selected one moves it down by one: keep the
        // stored index naming the same tab.
        rereadSelection();
    }
}

void Win32Tabber::selectItem(int index) {
    if (index >= 0) items().checkIndex(index);
    send(control_.hwnd(), TCM_SETCURSEL, index < 0 ? static_cast<WPARAM>(-1) : index, 0);
    QXItemList::selectItem(index);
}

void Win32Tabber::setIconStrip(QXIconStrip* strip) {
    send(control_.hwnd(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(win32ImageListOf(strip)));
    QXTabber::setIconStrip(strip);
}
