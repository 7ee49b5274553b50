#pragma once
// Event filters: modules that see every posted event in order of descending
// priority. Each one drops the event or passes it to its successor; the
// storing filter (QueFilter) is always last.

#include "events/QXEvent.h"
#include "runtime/QXModule.h"

class QXEventFilter;

// A singly linked list of filters sorted by descending priority.
class QXEventChain {
public:
    constexpr QXEventChain() = default;

    // Before the first filter of a lower priority: equal priorities keep
    // insertion order, the newcomer last.
    void insert(QXEventFilter* filter);
    // Removes the filter wherever it stands (nothing when it is not linked).
    void unlink(QXEventFilter* filter);
    void post(const QXEvent& event) const;

    QXEventFilter* head() const { return head_; }
    void setHead(QXEventFilter* filter) { head_ = filter; }

private:
    QXEventFilter* head_ = nullptr;
};

// The process's chain; QueFilter heads it from static construction on.
QXEventChain& eventChain();

class QXEventFilter : public QXModule {
public:
    explicit QXEventFilter(int priority, QXEventChain& chain = eventChain(), QXModuleList& list = moduleList());

    // Joins the chain at the filter's priority.
    bool startup() override;
    // Leaves the chain.
    void shutdown() override;
    virtual void filter(const QXEvent& event) = 0;

    int priority;
    QXEventFilter* successor = nullptr;

protected:
    void passOn(const QXEvent& event) const {
        if (successor) successor->filter(event);
    }
    QXEventChain& chain() const { return chain_; }

private:
    QXEventChain& chain_;
};

// Hands an event to the head of the chain.
void postEvent(const QXEvent& event);
void postEvent(int id, int data, int x, int y, int z, int source);
