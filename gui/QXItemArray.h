#pragma once
// The item list of combo boxes, list boxes and tabbers: the item texts in
// order and the selected index. Icons live only in the native control.

#include <vector>

#include "runtime/QXObject.h"

class QXString;

class QXItemArray : public QXObject {
public:
    ~QXItemArray() override;  // drops every text

    // "Gadget item list index out of range" unless 0 <= index < count + extra.
    void checkIndex(int index, int extra = 0) const;

    void clear();
    void add(QXString* text);
    void insert(int index, QXString* text);
    void modify(int index, QXString* text);
    // The selected index is left as it is: the native side re-reads it.
    void remove(int index);
    // A negative index selects nothing.
    void select(int index);
    // A new reference to the item's text.
    QXString* text(int index) const;
    int count() const { return static_cast<int>(items_.size()); }
    int selected() const { return selected_; }

private:
    int selected_ = -1;
    std::vector<QXString*> items_;  // one reference each
};

// The item operations of the gadget kinds with items. These portable versions
// apply the array rules only; a native binding changes its control first,
// checking indices before any native call, and then calls them.
class QXItemList {
public:
    QXItemList();
    virtual ~QXItemList();
    QXItemList(const QXItemList&) = delete;
    QXItemList& operator=(const QXItemList&) = delete;

    virtual void clearItems() { items_->clear(); }
    virtual void addItem(QXString* text, int /*icon*/) { items_->add(text); }
    virtual void insertItem(int index, QXString* text, int /*icon*/) { items_->insert(index, text); }
    virtual void modifyItem(int index, QXString* text, int /*icon*/) { items_->modify(index, text); }
    virtual void removeItem(int index) { items_->remove(index); }
    virtual void selectItem(int index) { items_->select(index); }

    QXItemArray& items() const { return *items_; }

private:
    QXItemArray* items_;
};
