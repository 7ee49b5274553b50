#include "netgame/QXJoystick.h"

#include <utility>

namespace {
constexpr std::uint32_t kPovCentred = 0xFFFF;
constexpr float kDirectionThreshold = 0.33333334f;
constexpr std::uint8_t kHeldBit = 0x80;
constexpr int kDeviceButtons = 16;
constexpr int kDegreesPerTurn = 360;

// (raw - minimum) / range, 0.0 to 1.0 across the span, in double precision.
double spanFraction(std::int32_t raw, QXJoyRange range) {
    return (static_cast<double>(raw) - static_cast<double>(range.minimum)) / static_cast<double>(range.range);
}
}  // namespace

QXJoyRange joyRangeOf(std::int32_t lower, std::int32_t upper) {
    return {lower, static_cast<std::int64_t>(upper) - static_cast<std::int64_t>(lower)};
}

float joyAxisValue(std::int32_t raw, QXJoyRange range) {
    if (range.range == 0) return 0.0f;
    return static_cast<float>(spanFraction(raw, range) * 2.0 - 1.0);
}

float joyRotationValue(std::int32_t raw, QXJoyRange range) {
    if (range.range == 0) return 0.0f;
    return static_cast<float>((spanFraction(raw, range) * 2.0 - 1.0) * 180.0);
}

float joyHatValue(std::uint32_t pov) {
    if ((pov & 0xFFFF) == kPovCentred) return -1.0f;
    // Hundredths rounded to the nearest degree; just short of a full turn is up again.
    const std::uint64_t degrees = (static_cast<std::uint64_t>(pov) + 50) / 100;
    return static_cast<float>(degrees % kDegreesPerTurn);
}

int joyDirection(float value) {
    if (value < -kDirectionThreshold) return -1;
    if (value > kDirectionThreshold) return 1;
    return 0;
}

int joyButtonIndex(int button) { return button & (kJoyButtons - 1); }

int joyDeviceButton(int button) { return (button - 1) & (kDeviceButtons - 1); }

// ---------------------------------------------------------------- controller

QXJoyController::QXJoyController(std::unique_ptr<QXJoyDevice> device, QXJoyType type,
                                 const std::array<QXJoyRange, kJoyValueCount>& ranges)
    : device_(std::move(device)), type_(type), ranges_(ranges) {}

void QXJoyController::poll() {
    QXJoyRawState state;
    if (device_ && device_->read(state)) apply(state);
}

void QXJoyController::apply(const QXJoyRawState& state) {
    auto axis = [&](QXJoyValue value) { return joyAxisValue(state.values[value], ranges_[value]); };
    auto rotation = [&](QXJoyValue value) { return joyRotationValue(state.values[value], ranges_[value]); };
    axes_.x = axis(kJoyX);
    axes_.y = axis(kJoyY);
    axes_.z = axis(kJoyZ);
    axes_.u = axis(kJoySlider0);
    axes_.v = axis(kJoySlider1);
    axes_.pitch = rotation(kJoyRotationX);
    axes_.yaw = rotation(kJoyRotationY);
    axes_.roll = rotation(kJoyRotationZ);
    axes_.hat = joyHatValue(static_cast<std::uint32_t>(state.values[kJoyPov0]));
    // Button number 0 stands for no device button and is never held.
    for (int button = 1; button < kJoyButtons; ++button) {
        const bool held = (state.buttons[joyDeviceButton(button)] & kHeldBit) != 0;
        if (held && !down_[button]) ++hits_[button];
        down_[button] = held ? 1 : 0;
    }
}

int QXJoyController::takeHits(int button) {
    return static_cast<int>(std::exchange(hits_[joyButtonIndex(button)], 0u));
}

void QXJoyController::flush() {
    hits_.fill(0);
    down_.fill(0);
}

// ---------------------------------------------------------------- the set

void QXJoysticks::clear() {
    controllers_.clear();
    lastPoll_ = 0;
    polled_ = false;
}

QXJoyFinder QXJoysticks::setFinder(QXJoyFinder finder) {
    looked_ = false;
    return std::exchange(finder_, finder);
}

void QXJoysticks::look() {
    if (looked_) return;
    looked_ = true;  // before the finder: it adds through add(), which must not look again
    if (finder_) finder_();
}

bool QXJoysticks::add(std::unique_ptr<QXJoyController> controller) {
    if (!controller || full()) return false;
    controllers_.push_back(std::move(controller));
    return true;
}

QXJoyController* QXJoysticks::at(int port) {
    look();
    if (port < 0 || port >= count()) return nullptr;
    return controllers_[static_cast<std::size_t>(port)].get();
}

void QXJoysticks::poll() {
    look();
    if (controllers_.empty()) return;
    const std::uint32_t now = clock_();
    if (polled_ && now - lastPoll_ < kJoyPollIntervalMs) return;
    polled_ = true;
    lastPoll_ = now;
    for (auto& controller : controllers_) controller->poll();
}

void QXJoysticks::flush() {
    for (auto& controller : controllers_) controller->flush();
}

QXJoyClock QXJoysticks::setClock(QXJoyClock clock) { return std::exchange(clock_, clock); }

QXJoysticks& joysticks() {
    // Never destroyed: devices are released by the module's stop, not at exit.
    static QXJoysticks* const instance = new QXJoysticks(joystickClock);
    return *instance;
}
