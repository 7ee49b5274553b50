// The tree view commands.

#include "core/QXString.h"
#include "gui/QXGadget.h"
#include "runtime/QXRegistry.h"

namespace {
QXTreeView& treeOf(int handle) { return *checkHandle<QXTreeView>(handle, "TreeView Gadget"); }
QXTreeViewNode& nodeOf(int handle) { return *checkHandle<QXTreeViewNode>(handle, "TreeView Node"); }

int QXCALL TreeViewRoot(int tree) { return handleOf(treeOf(tree).rootNode()); }
int QXCALL SelectedTreeViewNode(int tree) { return handleOf(treeOf(tree).selectedNode()); }
int QXCALL CountTreeViewNodes(int node) { return static_cast<int>(nodeOf(node).children().size()); }

int QXCALL AddTreeViewNode(QXString* text, int parent, int icon) {
    return handleOf(nodeOf(parent).addChild(text, icon));
}
int QXCALL InsertTreeViewNode(int index, QXString* text, int parent, int icon) {
    return handleOf(nodeOf(parent).insertChild(index, text, icon));
}
void QXCALL ModifyTreeViewNode(int node, QXString* text, int icon) { nodeOf(node).modify(text, icon); }
void QXCALL SelectTreeViewNode(int node) { nodeOf(node).select(); }
void QXCALL ExpandTreeViewNode(int node) { nodeOf(node).expand(); }
void QXCALL CollapseTreeViewNode(int node) { nodeOf(node).collapse(); }
void QXCALL FreeTreeViewNode(int node) {
    if (node == 0) return;
    release(&nodeOf(node));
}

const QXSymbol commands[] = {
    QX_COMMAND("%TreeViewRoot%treeview", TreeViewRoot),
    QX_COMMAND("%SelectedTreeViewNode%treeview", SelectedTreeViewNode),
    QX_COMMAND("%CountTreeViewNodes%parent_node", CountTreeViewNodes),
    QX_COMMAND("%AddTreeViewNode$text%parent_node%icon=-1", AddTreeViewNode),
    QX_COMMAND("%InsertTreeViewNode%index$text%parent_node%icon=-1", InsertTreeViewNode),
    QX_COMMAND("ModifyTreeViewNode%node$text%icon=-1", ModifyTreeViewNode),
    QX_COMMAND("SelectTreeViewNode%node", SelectTreeViewNode),
    QX_COMMAND("ExpandTreeViewNode%node", ExpandTreeViewNode),
    QX_COMMAND("CollapseTreeViewNode%node", CollapseTreeViewNode),
    QX_COMMAND("FreeTreeViewNode%node", FreeTreeViewNode),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Gui, commands);
}  // namespace
