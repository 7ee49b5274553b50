#include "events/QXHotKeys.h"

#include "events/QXEventFilter.h"
#include "runtime/QXError.h"
#include "runtime/QXRegistry.h"

void QXHotKeyTable::set(int keyCode, int modifiers, const QXEvent& event) {
    for (int i = 0; i < count_; ++i) {
        if (entries_[i].keyCode == keyCode && entries_[i].modifiers == modifiers) {
            entries_[i].event = event;
            return;
        }
    }
    if (count_ == kCapacity) runtimeError("Too many hotkey events registered");
    entries_[count_++] = {keyCode, modifiers, event};
}

const QXEvent* QXHotKeyTable::find(int keyCode, int modifiers) const {
    for (int i = 0; i < count_; ++i)
        if (entries_[i].keyCode == keyCode && entries_[i].modifiers == modifiers) return &entries_[i].event;
    return nullptr;
}

QXHotKeyTable& hotKeys() {
    static constinit QXHotKeyTable table;
    return table;
}

bool hotKeyLookup(int keyCode, int modifiers) {
    const QXEvent* event = hotKeys().find(keyCode, modifiers);
    if (!event) return false;
    // Post a copy: a filter may register hot keys while the event travels.
    QXEvent copy = *event;
    postEvent(copy);
    return true;
}

namespace {
void QXCALL HotKeyEvent(int rawKey, int modifier, int id, int data, int x, int y, int z, int source) {
    hotKeys().set(rawKey, modifier, QXEvent{id, data, x, y, z, source});
}

const QXSymbol commands[] = {
    QX_COMMAND("HotKeyEvent%rawkey%modifier%ev_id%ev_data=0%ev_x=0%ev_y=0%ev_z=0%ev_source=0", HotKeyEvent),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Graphics, commands);
}  // namespace
