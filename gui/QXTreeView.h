#pragma once
// The tree view: a hierarchy of nodes, each an object of its own addressed by
// handle. The tree view keeps an invisible root node and the node the user
// last selected. Included by gui/QXControls.h.

#include <vector>

class QXString;
class QXTreeView;

class QXTreeViewNode : public QXObject {
public:
    // Appends itself to the parent's children (none for a root).
    QXTreeViewNode(QXTreeView* tree, QXTreeViewNode* parent);
    ~QXTreeViewNode() override;

    // Deletes the native subtree, then releases every child in order (their
    // handles go with them), then leaves the parent's list.
    void destroy() override;

    virtual void select() {}
    virtual void expand() {}
    virtual void collapse() {}
    virtual void modify(QXString* /*text*/, int /*icon*/) {}
    // The new node (one reference, the caller's), or null when refused.
    virtual QXTreeViewNode* addChild(QXString* /*text*/, int /*icon*/) { return nullptr; }
    virtual QXTreeViewNode* insertChild(int /*index*/, QXString* /*text*/, int /*icon*/) { return nullptr; }

    QXTreeViewNode* parent() const { return parent_; }
    const std::vector<QXTreeViewNode*>& children() const { return children_; }
    QXTreeView* tree() const { return tree_; }

protected:
    // Removes the node's native item and everything below it.
    virtual void deleteNativeItem() {}
    // Set on the descendants of a node whose native subtree already went.
    bool nativeGone_ = false;

private:
    QXTreeView* tree_;
    QXTreeViewNode* parent_;
    std::vector<QXTreeViewNode*> children_;  // creation order; holds no references
};

class QXTreeView : public QXGadget {
public:
    using QXGadget::QXGadget;
    ~QXTreeView() override;

    // The root, made again after the program freed it.
    QXTreeViewNode* rootNode();
    // The node the user last selected, or null (also once that node went).
    QXTreeViewNode* selectedNode() const { return selected_; }
    void storeSelected(QXTreeViewNode* node) { selected_ = node; }

protected:
    virtual QXTreeViewNode* makeRoot() { return new QXTreeViewNode(this, nullptr); }
    // Releases the root (and so every node) while the control still exists.
    void releaseRoot();

private:
    friend class QXTreeViewNode;
    QXTreeViewNode* root_ = nullptr;
    QXTreeViewNode* selected_ = nullptr;
};
