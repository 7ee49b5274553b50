#include "events/QXEvent.h"

namespace {
constinit int modifiers = 0;

int modifierOfVirtualKey(int virtualKey) {
    switch (virtualKey) {
    case 0x10: return kModifierShift;
    case 0x11: return kModifierControl;
    case 0x12: return kModifierAlt;
    default: return 0;
    }
}
}  // namespace

int modifierSet() { return modifiers; }

void updateModifierSet(int virtualKey, bool down) {
    int bit = modifierOfVirtualKey(virtualKey);
    modifiers = down ? (modifiers | bit) : (modifiers & ~bit);
}

void clearModifierSet() { modifiers = 0; }
