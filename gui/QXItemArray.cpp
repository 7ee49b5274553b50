#include "gui/QXItemArray.h"

#include "core/QXString.h"
#include "runtime/QXError.h"

QXItemArray::~QXItemArray() { clear(); }

void QXItemArray::checkIndex(int index, int extra) const {
    // 64-bit sum: count + extra cannot wrap.
    if (index < 0 || static_cast<long long>(index) >= static_cast<long long>(count()) + extra)
        runtimeError("Gadget item list index out of range");
}

void QXItemArray::clear() {
    std::vector<QXString*> dropped;
    dropped.swap(items_);
    selected_ = -1;
    for (QXString* text : dropped) release(text);
}

void QXItemArray::add(QXString* text) {
    QXString* held = text ? text : emptyString();
    if (text) retain(text);
    items_.push_back(held);
}

void QXItemArray::insert(int index, QXString* text) {
    checkIndex(index, 1);
    QXString* held = text ? text : emptyString();
    if (text) retain(text);
    items_.insert(items_.begin() + index, held);
}

void QXItemArray::modify(int index, QXString* text) {
    checkIndex(index);
    QXString* held = text ? text : emptyString();
    if (text) retain(text);
    QXString* old = items_[static_cast<std::size_t>(index)];
    items_[static_cast<std::size_t>(index)] = held;
    release(old);
}

void QXItemArray::remove(int index) {
    checkIndex(index);
    QXString* old = items_[static_cast<std::size_t>(index)];
    items_.erase(items_.begin() + index);
    release(old);
}

void QXItemArray::select(int index) {
    if (index < 0) {
        selected_ = -1;
        return;
    }
    checkIndex(index);
    selected_ = index;
}

QXString* QXItemArray::text(int index) const {
    checkIndex(index);
    QXString* text = items_[static_cast<std::size_t>(index)];
    retain(text);
    return text;
}

QXItemList::QXItemList() : items_(new QXItemArray) {}

QXItemList::~QXItemList() { release(items_); }
