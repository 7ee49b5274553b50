#include "events/QXEventFilter.h"

void QXEventChain::insert(QXEventFilter* filter) {
    QXEventFilter** link = &head_;
    while (*link && (*link)->priority >= filter->priority) link = &(*link)->successor;
    filter->successor = *link;
    *link = filter;
}

void QXEventChain::unlink(QXEventFilter* filter) {
    for (QXEventFilter** link = &head_; *link; link = &(*link)->successor) {
        if (*link == filter) {
            *link = filter->successor;
            filter->successor = nullptr;
            return;
        }
    }
}

void QXEventChain::post(const QXEvent& event) const {
    if (head_) head_->filter(event);
}

QXEventChain& eventChain() {
    static constinit QXEventChain chain;
    return chain;
}

QXEventFilter::QXEventFilter(int filterPriority, QXEventChain& chain, QXModuleList& list)
    : QXModule(list), priority(filterPriority), chain_(chain) {}

bool QXEventFilter::startup() {
    chain_.insert(this);
    return true;
}

void QXEventFilter::shutdown() { chain_.unlink(this); }

void postEvent(const QXEvent& event) { eventChain().post(event); }

void postEvent(int id, int data, int x, int y, int z, int source) {
    postEvent(QXEvent{id, data, x, y, z, source});
}
