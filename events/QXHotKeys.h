#pragma once
// Hot keys: a key press with an exact modifier set that posts a stored event
// instead of the key's own events. Entries are never removed.

#include "events/QXEvent.h"

class QXHotKeyTable {
public:
    static constexpr int kCapacity = 100;

    // Replaces the event of an existing (key, modifiers) pair, else appends
    // one; "Too many hotkey events registered" when the table is full.
    void set(int keyCode, int modifiers, const QXEvent& event);
    // The event of the exact (key, modifiers) pair, or null.
    const QXEvent* find(int keyCode, int modifiers) const;
    int count() const { return count_; }
    void clear() { count_ = 0; }

private:
    struct Entry {
        int keyCode;
        int modifiers;
        QXEvent event;
    };
    Entry entries_[kCapacity] = {};
    int count_ = 0;
};

QXHotKeyTable& hotKeys();

// Called for every non-modifier key-down: posts the hot key's event and
// returns true when (key code, modifier set) is registered; the caller then
// reports neither key-down nor key character for that press.
bool hotKeyLookup(int keyCode, int modifiers);
