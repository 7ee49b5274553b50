#pragma once
// Game controllers as the joystick commands see them: up to 32 controllers
// numbered from 0 in discovery order, each with six normalised axes, three
// rotations, one hat and buttons 1 to 31 with press counters. The rules that
// turn a device's raw state into these values live here, free of any
// platform call; a platform module supplies the devices and the clock.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

constexpr int kMaxJoysticks = 32;
constexpr int kJoyButtons = 32;
// Values at the start of the standard joystick state, in this order.
enum QXJoyValue : int {
    kJoyX,
    kJoyY,
    kJoyZ,
    kJoyRotationX,
    kJoyRotationY,
    kJoyRotationZ,
    kJoySlider0,
    kJoySlider1,
    kJoyPov0,
    kJoyPov1,
    kJoyPov2,
    kJoyPov3,
    kJoyValueCount
};
// Polls closer together than this read the values of the last one.
constexpr std::uint32_t kJoyPollIntervalMs = 3;

enum QXJoyType : int { kJoyNone = 0, kJoyGamepad = 1, kJoyJoystick = 2 };

// One device reading: the 12 values and the 32 button bytes (held when the
// high bit is set).
struct QXJoyRawState {
    std::array<std::int32_t, kJoyValueCount> values{};
    std::array<std::uint8_t, kJoyButtons> buttons{};
};

// The span a device reports for one value.
struct QXJoyRange {
    std::int32_t minimum = 0;
    std::int64_t range = 65535;  // upper - lower, without overflow
};
QXJoyRange joyRangeOf(std::int32_t lower, std::int32_t upper);

// -1.0 at the minimum to 1.0 at the top of the range; 0.0 for a device that
// reports an empty range (it can only be centred).
float joyAxisValue(std::int32_t raw, QXJoyRange range);
// The same span as degrees, -180.0 to 180.0.
float joyRotationValue(std::int32_t raw, QXJoyRange range);
// -1.0 when centred (low 16 bits all set), else the direction in hundredths
// of degrees rounded to whole degrees, 0 (up) to 359 clockwise.
float joyHatValue(std::uint32_t pov);
// -1, 0 or 1: which third of the axis the value is in.
int joyDirection(float value);
// Button numbers wrap at 32 (negative ones included).
int joyButtonIndex(int button);
// The device button behind button number 1 to 31; devices give 16 buttons
// (numbers 17 to 31 repeat 1 to 15).
int joyDeviceButton(int button);

// A source of readings; false when the device cannot be read now.
class QXJoyDevice {
public:
    virtual ~QXJoyDevice() = default;
    virtual bool read(QXJoyRawState& state) = 0;
};

struct QXJoyAxes {
    float x = 0, y = 0, z = 0;
    float u = 0, v = 0;  // the two sliders
    float yaw = 0, pitch = 0, roll = 0;
    float hat = 0;
};

class QXJoyController {
public:
    QXJoyController(std::unique_ptr<QXJoyDevice> device, QXJoyType type,
                    const std::array<QXJoyRange, kJoyValueCount>& ranges);

    // Reads the device; a failed reading keeps the last values.
    void poll();
    // Takes a reading: axes, hat, and the buttons with their press counts.
    void apply(const QXJoyRawState& state);

    QXJoyType type() const { return type_; }
    const QXJoyAxes& axes() const { return axes_; }
    bool isDown(int button) const { return down_[joyButtonIndex(button)] != 0; }
    // Presses since the last call for the button; starts counting again.
    int takeHits(int button);
    // Forgets every press and held button.
    void flush();

private:
    std::unique_ptr<QXJoyDevice> device_;
    QXJoyType type_;
    std::array<QXJoyRange, kJoyValueCount> ranges_;
    QXJoyAxes axes_;
    std::array<std::uint32_t, kJoyButtons> hits_{};
    std::array<std::uint8_t, kJoyButtons> down_{};
};

using QXJoyClock = std::uint32_t (*)();
// Looks for the attached controllers and adds them to the set.
using QXJoyFinder = void (*)();

// The controllers the platform module found. It looks for them when a
// program first asks about a port, not when it starts: most programs never do.
class QXJoysticks {
public:
    explicit QXJoysticks(QXJoyClock clock) : clock_(clock) {}

    // Forgets every controller (releasing its device) and the poll time.
    void clear();
    // The platform's way to look for controllers (null: none to look for),
    // used at the next question; returns the one it replaces.
    QXJoyFinder setFinder(QXJoyFinder finder);
    // False (and the controller dropped) once 32 are recorded.
    bool add(std::unique_ptr<QXJoyController> controller);
    int count() const { return static_cast<int>(controllers_.size()); }
    bool full() const { return count() >= kMaxJoysticks; }
    // The controller at `port`, or null outside 0 to count - 1. The first
    // question after a finder is set has it look.
    QXJoyController* at(int port);

    // Reads every controller, unless there are none or the last poll was
    // less than kJoyPollIntervalMs ago.
    void poll();
    void flush();
    // True once the finder has looked since it was set.
    bool looked() const { return looked_; }

    QXJoyClock setClock(QXJoyClock clock);

private:
    std::vector<std::unique_ptr<QXJoyController>> controllers_;
    void look();

    QXJoyClock clock_;
    QXJoyFinder finder_ = nullptr;
    bool looked_ = false;
    std::uint32_t lastPoll_ = 0;
    bool polled_ = false;
};

// The process's controllers, on the platform's millisecond clock.
QXJoysticks& joysticks();
// The platform's millisecond clock (wraps after 2^32).
std::uint32_t joystickClock();
