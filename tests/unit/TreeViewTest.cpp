// The tree view under Wine: random building, inserting and freeing against a
// model tree and the control's own item tree, handle validity after subtree
// frees, and the selection.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <random>
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
#include "gui/win32/Win32GuiDriver.h"

namespace {
using Get1 = int(QXCALL*)(int);
using Fn1 = void(QXCALL*)(int);

struct Commands {
    int(QXCALL* createWindow)(QXString*, int, int, int, int, int, int) =
        command<int(QXCALL*)(QXString*, int, int, int, int, int, int)>(
            "%CreateWindow$text%x%y%width%height%group=0%style=15");
    int(QXCALL* createTreeView)(int, int, int, int, int, int) =
        command<int(QXCALL*)(int, int, int, int, int, int)>("%CreateTreeView%x%y%width%height%group%style=0");
    Get1 root = command<Get1>("%TreeViewRoot%treeview");
    Get1 selected = command<Get1>("%SelectedTreeViewNode%treeview");
    Get1 count = command<Get1>("%CountTreeViewNodes%parent_node");
    int(QXCALL* add)(QXString*, int, int) =
        command<int(QXCALL*)(QXString*, int, int)>("%AddTreeViewNode$text%parent_node%icon=-1");
    int(QXCALL* insert)(int, QXString*, int, int) =
        command<int(QXCALL*)(int, QXString*, int, int)>("%InsertTreeViewNode%index$text%parent_node%icon=-1");
    void(QXCALL* modify)(int, QXString*, int) =
        command<void(QXCALL*)(int, QXString*, int)>("ModifyTreeViewNode%node$text%icon=-1");
    Fn1 select = command<Fn1>("SelectTreeViewNode%node");
    Fn1 expand = command<Fn1>("ExpandTreeViewNode%node");
    Fn1 collapse = command<Fn1>("CollapseTreeViewNode%node");
    Fn1 free = command<Fn1>("FreeTreeViewNode%node");
    Fn1 freeGadget = command<Fn1>("FreeGadget%gadget");
    int(QXCALL* activeObjects)() = command<int(QXCALL*)()>("%ActiveObjects");
    int(QXCALL* waitEvent)(int) = command<int(QXCALL*)(int)>("%WaitEvent%timeout=-1");
    int(QXCALL* eventData)() = command<int(QXCALL*)()>("%EventData");
};

struct Text {
    explicit Text(const std::string& s) : string(newString(s.c_str())) {}
    ~Text() { release(string); }
    operator QXString*() const { return string; }
    QXString* string;
};

HWND hwndOf(int gadget) {
    auto* g = reinterpret_cast<QXGadget*>(static_cast<std::uintptr_t>(static_cast<unsigned>(gadget)));
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<unsigned>(g->query(1))));
}

// The model: each node's text and children, by handle.
struct ModelNode {
    int handle;
    std::string text;
    std::vector<ModelNode> children;
};

// The control's items below `parent`, written as "text(child,child)".
std::string nativeTree(HWND tree, HTREEITEM parent) {
    std::string out;
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(parent)));
    for (bool first = true; item; first = false) {
        char buffer[64] = {};
        TVITEMA data{};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = buffer;
        data.cchTextMax = sizeof buffer;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        if (!first) out += ",";
        out += buffer;
        const std::string below = nativeTree(tree, item);
        if (!below.empty()) out += "(" + below + ")";
        item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    return out;
}
std::string modelTree(const std::vector<ModelNode>& nodes) {
    std::string out;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (i) out += ",";
        out += nodes[i].text;
        if (!nodes[i].children.empty()) out += "(" + modelTree(nodes[i].children) + ")";
    }
    return out;
}
void collect(const std::vector<ModelNode>& nodes, std::vector<const ModelNode*>& all) {
    for (const ModelNode& n : nodes) {
        all.push_back(&n);
        collect(n.children, all);
    }
}
void handlesOf(const ModelNode& node, std::vector<int>& out) {
    out.push_back(node.handle);
    for (const ModelNode& c : node.children) handlesOf(c, out);
}
// The node with `handle` and the list holding it.
bool find(std::vector<ModelNode>& nodes, int handle, std::vector<ModelNode>*& list, std::size_t& at) {
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].handle == handle) {
            list = &nodes;
            at = i;
            return true;
        }
        if (find(nodes[i].children, handle, list, at)) return true;
    }
    return false;
}

class TreeViews : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startNativeGui());
        window = cmd.createWindow(Text("Tree"), 20, 20, 400, 300, 0, 3);
        tree = cmd.createTreeView(0, 0, 300, 250, window, 0);
    }
    void TearDown() override {
        stopNativeGui();
    }
    Commands cmd;
    int window = 0;
    int tree = 0;
};
}  // namespace

TEST_F(TreeViews, RandomBuildsInsertsAndFreesMatchTheModelAndTheControl) {
    std::mt19937 random(2024);
    const int root = cmd.root(tree);
    std::vector<ModelNode> top;
    int frees = 0;
    int made = 0;
    for (int step = 0; step < 400; ++step) {
        std::vector<const ModelNode*> all;
        collect(top, all);
        // A parent: the root or any node.
        const std::size_t pick = random() % (all.size() + 1);
        const int parent = pick == all.size() ? root : all[pick]->handle;
        std::vector<ModelNode>* children = &top;
        if (parent != root) {
            std::vector<ModelNode>* list = nullptr;
            std::size_t at = 0;
            ASSERT_TRUE(find(top, parent, list, at));
            children = &(*list)[at].children;
        }
        const int action = static_cast<int>(random() % 10);
        const std::string name = "n" + std::to_string(made++);
        if (action < 4) {
            const int node = cmd.add(Text(name), parent, -1);
            ASSERT_NE(node, 0);
            children->push_back({node, name, {}});
        } else if (action < 7) {
            const int index = static_cast<int>(random() % (children->size() + 3)) - 1;
            const int node = cmd.insert(index, Text(name), parent, -1);
            ASSERT_NE(node, 0);
            const std::size_t place = index <= 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(index), children->size());
            children->insert(children->begin() + static_cast<std::ptrdiff_t>(place), ModelNode{node, name, {}});
        } else if (action < 8 && parent != root) {
            cmd.modify(parent, Text(name), -1);
            std::vector<ModelNode>* list = nullptr;
            std::size_t at = 0;
            find(top, parent, list, at);
            (*list)[at].text = name;
        } else if (parent != root) {
            std::vector<ModelNode>* list = nullptr;
            std::size_t at = 0;
            find(top, parent, list, at);
            std::vector<int> subtree;
            handlesOf((*list)[at], subtree);
            list->erase(list->begin() + static_cast<std::ptrdiff_t>(at));
            cmd.free(parent);
            // Checked at once: later nodes may take the same addresses.
            for (int handle : subtree)
                ASSERT_EQ(runtimeErrorOf([&] { cmd.count(handle); }), "Invalid TreeView Node handle") << "step " << step;
            ++frees;
        }
        ASSERT_EQ(nativeTree(hwndOf(tree), nullptr), modelTree(top)) << "step " << step;
        ASSERT_EQ(cmd.count(root), static_cast<int>(top.size()));
    }
    EXPECT_GT(frees, 20);
    // The living nodes count their children.
    std::vector<const ModelNode*> all;
    collect(top, all);
    for (const ModelNode* n : all) EXPECT_EQ(cmd.count(n->handle), static_cast<int>(n->children.size()));
}

TEST_F(TreeViews, SelectionFollowsTheControlAndForgetsFreedNodes) {
    const int root = cmd.root(tree);
    EXPECT_EQ(cmd.selected(tree), 0);
    const int a = cmd.add(Text("a"), root, -1);
    const int b = cmd.add(Text("b"), root, -1);
    const int child = cmd.add(Text("child"), b, -1);
    cmd.expand(b);
    HWND h = hwndOf(tree);
    auto second = reinterpret_cast<HTREEITEM>(SendMessageA(
        h, TVM_GETNEXTITEM, TVGN_NEXT, SendMessageA(h, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
    EXPECT_TRUE(SendMessageA(h, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(second), TVIS_EXPANDED) & TVIS_EXPANDED);
    cmd.select(child);
    EXPECT_EQ(cmd.selected(tree), child);
    cmd.collapse(b);
    EXPECT_FALSE(SendMessageA(h, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(second), TVIS_EXPANDED) & TVIS_EXPANDED);
    cmd.select(a);
    EXPECT_EQ(cmd.selected(tree), a);
    // Freeing the selected node leaves no dangling answer.
    cmd.free(a);
    EXPECT_NE(cmd.selected(tree), a);
    const int now = cmd.selected(tree);
    EXPECT_TRUE(now == 0 || now == b || now == child);
    EXPECT_EQ(runtimeErrorOf([&] { cmd.select(a); }), "Invalid TreeView Node handle");
    EXPECT_EQ(runtimeErrorOf([&] { cmd.root(window); }), "Invalid TreeView Gadget handle");
    cmd.free(0);  // nothing
}

TEST_F(TreeViews, FreeingTheRootEmptiesTheControlAndTheTreeGoesOn) {
    const int before = cmd.activeObjects();
    const int root = cmd.root(tree);
    const int a = cmd.add(Text("a"), root, -1);
    cmd.add(Text("a1"), a, -1);
    cmd.insert(0, Text("first"), root, -1);
    EXPECT_EQ(nativeTree(hwndOf(tree), nullptr), "first,a(a1)");
    cmd.free(root);
    EXPECT_EQ(nativeTree(hwndOf(tree), nullptr), "");
    EXPECT_EQ(runtimeErrorOf([&] { cmd.count(a); }), "Invalid TreeView Node handle");
    // A new root stands for the empty control.
    const int again = cmd.root(tree);
    ASSERT_NE(again, 0);
    EXPECT_EQ(cmd.count(again), 0);
    cmd.add(Text("later"), again, 3);
    EXPECT_EQ(nativeTree(hwndOf(tree), nullptr), "later");
    cmd.freeGadget(tree);
    EXPECT_LE(cmd.activeObjects(), before - 1);
}
