// The native tree view ("SysTreeView32"): each node over one item, whose
// parameter names the node.

#include <windows.h>
#include <commctrl.h>

#include "core/QXString.h"
#include "gui/win32/Win32Gadgets.h"
#include "gui/win32/Win32IconStrip.h"

namespace {
class Win32TreeViewNode : public QXTreeViewNode {
public:
    Win32TreeViewNode(QXTreeView* tree, Win32TreeViewNode* parent, HWND window, HTREEITEM item)
        : QXTreeViewNode(tree, parent), window_(window), item_(item) {}

    void select() override { SendMessageA(window_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item_)); }
    void expand() override { SendMessageA(window_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item_)); }
    void collapse() override { SendMessageA(window_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item_)); }

    void modify(QXString* text, int icon) override {
        TVITEMA item{};
        item.mask = TVIF_TEXT;
        item.hItem = item_;
        item.pszText = const_cast<char*>(stringCText(text));
        setImage(item, icon);
        SendMessageA(window_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }

    QXTreeViewNode* addChild(QXString* text, int icon) override { return insertAfter(TVI_LAST, text, icon); }

    QXTreeViewNode* insertChild(int index, QXString* text, int icon) override {
        const int count = static_cast<int>(children().size());
        if (index <= 0) return insertAfter(TVI_FIRST, text, icon);
        if (index >= count) return insertAfter(TVI_LAST, text, icon);
        HTREEITEM before = reinterpret_cast<HTREEITEM>(
            SendMessageA(window_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item_)));
        for (int i = 1; i < index && before; ++i)
            before = reinterpret_cast<HTREEITEM>(
                SendMessageA(window_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(before)));
        return insertAfter(before ? before : TVI_LAST, text, icon);
    }

    HTREEITEM item() const { return item_; }

protected:
    void deleteNativeItem() override {
        if (IsWindow(window_)) SendMessageA(window_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item_));
    }

private:
    // No image for a negative icon: the control would otherwise show image 0.
    static void setImage(TVITEMA& item, int icon) {
        item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.iImage = item.iSelectedImage = icon < 0 ? -1 : icon;
    }

    QXTreeViewNode* insertAfter(HTREEITEM after, QXString* text, int icon) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = item_;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<char*>(stringCText(text));
        setImage(insert.item, icon);
        auto added = reinterpret_cast<HTREEITEM>(SendMessageA(window_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!added) return nullptr;
        auto* node = new Win32TreeViewNode(tree(), this, window_, added);
        TVITEMA param{};
        param.mask = TVIF_PARAM;
        param.hItem = added;
        param.lParam = reinterpret_cast<LPARAM>(node);
        SendMessageA(window_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&param));
        return node;
    }

    HWND window_;
    HTREEITEM item_;
};
}  // namespace

QXTreeViewNode* Win32TreeView::makeRoot() {
    return new Win32TreeViewNode(this, nullptr, control_.hwnd(), TVI_ROOT);
}

void Win32TreeView::setIconStrip(QXIconStrip* strip) {
    if (control_.hwnd())
        SendMessageA(control_.hwnd(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(win32ImageListOf(strip)));
    QXTreeView::setIconStrip(strip);
}

LRESULT Win32TreeView::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) {
    if (message == WM_NOTIFY && hwnd != control_.hwnd()) {
        const auto* change = reinterpret_cast<NMTREEVIEWA*>(lParam);
        if (change->hdr.code == static_cast<UINT>(TVN_SELCHANGEDA)) {
            auto* node = reinterpret_cast<QXTreeViewNode*>(change->itemNew.lParam);
            storeSelected(change->itemNew.hItem && node ? node : rootNode());
            emit(0x401, 0, 0, 0, 0);
            return 0;
        }
    }
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}
