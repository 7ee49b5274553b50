#include <algorithm>

#include "gui/QXGadget.h"

QXTreeViewNode::QXTreeViewNode(QXTreeView* tree, QXTreeViewNode* parent) : tree_(tree), parent_(parent) {
    if (parent_) parent_->children_.push_back(this);
}

QXTreeViewNode::~QXTreeViewNode() {
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        parent_ = nullptr;
    }
    if (tree_) {
        // Never a dangling answer to SelectedTreeViewNode or TreeViewRoot.
        if (tree_->selected_ == this) tree_->selected_ = nullptr;
        if (tree_->root_ == this) tree_->root_ = nullptr;
    }
}

void QXTreeViewNode::destroy() {
    if (!nativeGone_) deleteNativeItem();
    while (!children_.empty()) {
        QXTreeViewNode* child = children_.front();
        child->nativeGone_ = true;
        if (child->refCount > 1) {
            // Someone else still holds it: it loses its place in the tree.
            children_.erase(children_.begin());
            child->parent_ = nullptr;
            release(child);
            continue;
        }
        release(child);  // its destructor takes it out of the list
    }
    QXObject::destroy();
}

QXTreeView::~QXTreeView() { releaseRoot(); }

QXTreeViewNode* QXTreeView::rootNode() {
    if (!root_) root_ = makeRoot();
    return root_;
}

void QXTreeView::releaseRoot() {
    QXTreeViewNode* root = root_;
    if (root) release(root);  // the destructor clears root_
    // Nodes held elsewhere outlive the tree view without it.
    root_ = nullptr;
    selected_ = nullptr;
}
