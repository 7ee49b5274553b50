#pragma once
// The event record every queue, filter and the hot-key table carries, the
// runtime's own event ids, key codes and the modifier set.

#include <cstdint>

// Field order is the record layout (queues, hot-key table, HotKeyEvent's parameters).
struct QXEvent {
    int id;      // 0 never denotes an event
    int data;
    int x;
    int y;
    int z;
    int source;  // the emitter's handle, or 0
};
static_assert(sizeof(QXEvent) == 24, "six 32-bit fields");

// Event classes: bits 8-15 of the id.
constexpr int kEventClassKey = 0x100;
constexpr int kEventClassMouse = 0x200;
constexpr int kEventClassGadget = 0x400;
constexpr int kEventClassWindow = 0x800;
constexpr int kEventClassMenu = 0x1000;
constexpr int kEventClassApp = 0x2000;
constexpr int kEventClassTimer = 0x4000;

constexpr int EVENT_KEYDOWN = 0x101;
constexpr int EVENT_KEYUP = 0x102;
constexpr int EVENT_KEYCHAR = 0x103;
constexpr int EVENT_MOUSEDOWN = 0x201;
constexpr int EVENT_MOUSEUP = 0x202;
constexpr int EVENT_MOUSEMOVE = 0x203;
constexpr int EVENT_MOUSEWHEEL = 0x204;
constexpr int EVENT_MOUSEENTER = 0x205;
constexpr int EVENT_MOUSELEAVE = 0x206;
constexpr int EVENT_MENUACTION = 0x1001;
constexpr int EVENT_APPSUSPEND = 0x2001;
constexpr int EVENT_APPRESUME = 0x2002;
constexpr int EVENT_MODALENTER = 0x2004;
constexpr int EVENT_MODALEXIT = 0x2005;
constexpr int EVENT_TIMERTICK = 0x4001;
// Internal requests of an attached debugger (bit 30).
constexpr int EVENT_DEBUGSTOP = 0x40000001;
constexpr int EVENT_DEBUGCONTINUE = 0x40000002;
constexpr int EVENT_DEBUGEND = 0x40000003;

// The modifier set: one process-wide value, kept up to date by whoever turns
// key messages into events.
constexpr int kModifierShift = 1;
constexpr int kModifierControl = 2;
constexpr int kModifierAlt = 4;

int modifierSet();
// Tracks the shift (0x10), control (0x11) and alt (0x12) virtual keys going
// down or up; other keys leave the set alone.
void updateModifierSet(int virtualKey, bool down);
void clearModifierSet();

// The runtime's key code of a key message: the scan code (lParam bits 16-22),
// plus 128 for an extended key (bit 24). 0 is never reported as a key.
constexpr int keyCodeOfKeyMessage(std::uint32_t lParam) {
    return static_cast<int>((lParam >> 16) & 0x7F) + ((lParam & (1u << 24)) ? 128 : 0);
}
