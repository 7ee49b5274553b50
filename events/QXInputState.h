#pragma once
// Polled keyboard and mouse state: which keys and buttons are down, how often
// each went down since it was last asked, short queues of typed characters
// and pressed buttons, and the wheel position. Fed with every key and mouse
// event on its way to the queue (Q2DEventFilter); portable.

#include <cstdint>

#include "events/QXEvent.h"

// A ring of 32 values with free-running counters; a full ring drops newcomers.
class QXInputRing {
public:
    static constexpr std::uint32_t kCapacity = 32;

    bool empty() const { return put_ == get_; }
    std::uint32_t count() const { return put_ - get_; }
    // False (and nothing stored) when the ring is full.
    bool append(int value);
    // The oldest value, removed; 0 when empty.
    int take();
    void clear() { put_ = get_ = 0; }

private:
    int slots_[kCapacity] = {};
    std::uint32_t put_ = 0;
    std::uint32_t get_ = 0;
};

class QXInputState {
public:
    static constexpr int kKeys = 256;
    static constexpr int kButtons = 4;

    // Updates the state from a key-down, key-up, key-character, mouse-down,
    // mouse-up or wheel event; every other event leaves it alone.
    void observe(const QXEvent& event);

    // Key codes are taken AND 255, buttons AND 3.
    int keyDown(int keyCode) const { return keyDown_[keyIndex(keyCode)]; }
    // The key-down count since the last read; resets it.
    int keyHit(int keyCode);
    bool hasCharacter() const { return characters_.empty() == false; }
    // The oldest typed character, removed; 0 when none.
    int takeCharacter() { return characters_.take(); }
    // Forgets typed characters, key counts and keys held.
    void flushKeys();

    int mouseDown(int button) const { return buttonDown_[buttonIndex(button)]; }
    int mouseHit(int button);
    bool hasButton() const { return buttons_.empty() == false; }
    int takeButton() { return buttons_.take(); }
    // Forgets pressed buttons, button counts and buttons held; the wheel stays.
    void flushMouse();

    int wheel() const { return wheel_; }
    // Wheel steps since the last call.
    int wheelSpeed();

    // Everything back to the start (a new program).
    void clear() { *this = QXInputState{}; }

private:
    static int keyIndex(int keyCode) { return int(unsigned(keyCode) & 0xFF); }
    static int buttonIndex(int button) { return int(unsigned(button) & 3); }

    std::uint8_t keyDown_[kKeys] = {};
    int keyHits_[kKeys] = {};
    QXInputRing characters_;
    std::uint8_t buttonDown_[kButtons] = {};
    int buttonHits_[kButtons] = {};
    QXInputRing buttons_;
    int wheel_ = 0;
    int lastWheel_ = 0;
};

// The process's input state, kept by Q2DEventFilter.
QXInputState& inputState();
