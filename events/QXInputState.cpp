#include "events/QXInputState.h"

bool QXInputRing::append(int value) {
    if (count() >= kCapacity) return false;
    slots_[put_ % kCapacity] = value;
    ++put_;
    return true;
}

int QXInputRing::take() {
    if (empty()) return 0;
    return slots_[get_++ % kCapacity];
}

void QXInputState::observe(const QXEvent& event) {
    switch (event.id) {
    case EVENT_KEYDOWN:
        ++keyHits_[keyIndex(event.data)];
        keyDown_[keyIndex(event.data)] = 1;
        break;
    case EVENT_KEYUP: keyDown_[keyIndex(event.data)] = 0; break;
    case EVENT_KEYCHAR: characters_.append(event.data); break;
    case EVENT_MOUSEDOWN:
        ++buttonHits_[buttonIndex(event.data)];
        buttonDown_[buttonIndex(event.data)] = 1;
        buttons_.append(event.data);
        break;
    case EVENT_MOUSEUP: buttonDown_[buttonIndex(event.data)] = 0; break;
    case EVENT_MOUSEWHEEL: wheel_ += event.data; break;
    default: break;
    }
}

int QXInputState::keyHit(int keyCode) {
    int& hits = keyHits_[keyIndex(keyCode)];
    const int count = hits;
    hits = 0;
    return count;
}

void QXInputState::flushKeys() {
    characters_.clear();
    for (int& hits : keyHits_) hits = 0;
    for (std::uint8_t& down : keyDown_) down = 0;
}

int QXInputState::mouseHit(int button) {
    int& hits = buttonHits_[buttonIndex(button)];
    const int count = hits;
    hits = 0;
    return count;
}

void QXInputState::flushMouse() {
    buttons_.clear();
    for (int& hits : buttonHits_) hits = 0;
    for (std::uint8_t& down : buttonDown_) down = 0;
}

int QXInputState::wheelSpeed() {
    const int speed = wheel_ - lastWheel_;
    lastWheel_ = wheel_;
    return speed;
}

QXInputState& inputState() {
    static constinit QXInputState state;
    return state;
}
