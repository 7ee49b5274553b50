// Joysticks: the value rules with hand-computed values, press counting and the
// poll interval on scripted devices, the commands over scripted controllers,
// and the DirectInput module on a machine without controllers.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <utility>

#include "TestSupport.h"
#include "netgame/QXJoystick.h"
#include "netgame/win32/Win32Joystick.h"

namespace {
// A device that answers with whatever the test put in `state`.
struct ScriptedDevice : QXJoyDevice {
    struct Script {
        QXJoyRawState state;
        bool readable = true;
        int reads = 0;
    };
    explicit ScriptedDevice(std::shared_ptr<Script> s) : script(std::move(s)) {}
    bool read(QXJoyRawState& out) override {
        ++script->reads;
        if (!script->readable) return false;
        out = script->state;
        return true;
    }
    std::shared_ptr<Script> script;
};
using Script = ScriptedDevice::Script;

// Values on a 0 to 65535 span (the default when a device tells no range).
std::array<QXJoyRange, kJoyValueCount> defaultRanges() { return {}; }

std::unique_ptr<QXJoyController> scriptedController(const std::shared_ptr<Script>& script,
                                                    QXJoyType type = kJoyJoystick,
                                                    std::array<QXJoyRange, kJoyValueCount> ranges = defaultRanges()) {
    return std::make_unique<QXJoyController>(std::make_unique<ScriptedDevice>(script), type, ranges);
}

std::shared_ptr<Script> centredScript() {
    auto script = std::make_shared<Script>();
    script->state.values.fill(32768);
    for (int pov = kJoyPov0; pov <= kJoyPov3; ++pov) script->state.values[pov] = -1;
    return script;
}

QXJoyRawState withDeviceButton(int deviceButton, bool held) {
    QXJoyRawState state;
    state.values[kJoyPov0] = -1;
    state.buttons[static_cast<std::size_t>(deviceButton)] = held ? 0x80 : 0x00;
    return state;
}

std::uint32_t fakeNow = 0;
std::uint32_t fakeClock() { return fakeNow; }
int clockReads = 0;
std::uint32_t countingClock() {
    ++clockReads;
    return fakeNow;
}
}  // namespace

TEST(JoystickRules, AxesAndRotationsSpanTheDeviceRange) {
    const QXJoyRange full{};
    EXPECT_FLOAT_EQ(joyAxisValue(0, full), -1.0f);
    EXPECT_FLOAT_EQ(joyAxisValue(65535, full), 1.0f);
    EXPECT_NEAR(joyAxisValue(32768, full), 1.0f / 65535.0f, 1e-7f);
    const QXJoyRange symmetric = joyRangeOf(-1000, 1000);
    EXPECT_FLOAT_EQ(joyAxisValue(0, symmetric), 0.0f);
    EXPECT_FLOAT_EQ(joyAxisValue(500, symmetric), 0.5f);
    EXPECT_FLOAT_EQ(joyAxisValue(-1000, symmetric), -1.0f);
    // The widest span a device can report does not overflow.
    const QXJoyRange widest = joyRangeOf(INT_MIN, INT_MAX);
    EXPECT_EQ(widest.range, 4294967295LL);
    EXPECT_FLOAT_EQ(joyAxisValue(INT_MAX, widest), 1.0f);
    EXPECT_FLOAT_EQ(joyAxisValue(INT_MIN, widest), -1.0f);
    // A device with an empty span can only be centred.
    EXPECT_EQ(joyAxisValue(7, joyRangeOf(7, 7)), 0.0f);
    EXPECT_EQ(joyRotationValue(7, joyRangeOf(7, 7)), 0.0f);

    EXPECT_FLOAT_EQ(joyRotationValue(0, full), -180.0f);
    EXPECT_FLOAT_EQ(joyRotationValue(65535, full), 180.0f);
    const QXJoyRange degrees = joyRangeOf(0, 36000);
    EXPECT_FLOAT_EQ(joyRotationValue(27000, degrees), 90.0f);
    EXPECT_FLOAT_EQ(joyRotationValue(9000, degrees), -90.0f);
}

TEST(JoystickRules, HatDirectionAndButtonNumbers) {
    EXPECT_EQ(joyHatValue(0xFFFFFFFFu), -1.0f);
    EXPECT_EQ(joyHatValue(0x0000FFFFu), -1.0f);
    EXPECT_EQ(joyHatValue(0x0001FFFFu), -1.0f);  // only the low 16 bits tell centred
    EXPECT_EQ(joyHatValue(0), 0.0f);
    EXPECT_EQ(joyHatValue(9000), 90.0f);
    EXPECT_EQ(joyHatValue(4500), 45.0f);
    EXPECT_EQ(joyHatValue(4549), 45.0f);
    EXPECT_EQ(joyHatValue(4550), 46.0f);
    EXPECT_EQ(joyHatValue(31500), 315.0f);
    EXPECT_EQ(joyHatValue(35949), 359.0f);
    EXPECT_EQ(joyHatValue(35950), 0.0f);  // rounds to a full turn: up

    EXPECT_EQ(joyDirection(0.3f), 0);
    EXPECT_EQ(joyDirection(0.34f), 1);
    EXPECT_EQ(joyDirection(-0.34f), -1);
    EXPECT_EQ(joyDirection(0.33333334f), 0);
    EXPECT_EQ(joyDirection(-0.33333334f), 0);
    EXPECT_EQ(joyDirection(-1.0f), -1);
    EXPECT_EQ(joyDirection(1.0f), 1);

    EXPECT_EQ(joyButtonIndex(33), 1);
    EXPECT_EQ(joyButtonIndex(32), 0);
    EXPECT_EQ(joyButtonIndex(-1), 31);
    EXPECT_EQ(joyButtonIndex(INT_MIN), 0);
    EXPECT_EQ(joyDeviceButton(1), 0);
    EXPECT_EQ(joyDeviceButton(16), 15);
    EXPECT_EQ(joyDeviceButton(17), 0);
    EXPECT_EQ(joyDeviceButton(31), 14);
}

TEST(JoystickController, ReadingsBecomeAxesAndHat) {
    auto script = centredScript();
    std::array<QXJoyRange, kJoyValueCount> ranges = defaultRanges();
    ranges[kJoyRotationY] = joyRangeOf(-100, 100);
    QXJoyController controller(std::make_unique<ScriptedDevice>(script), kJoyGamepad, ranges);
    auto& v = script->state.values;
    v[kJoyX] = 0;
    v[kJoyY] = 65535;
    v[kJoyZ] = 16384;
    v[kJoySlider0] = 65535;
    v[kJoySlider1] = 0;
    v[kJoyRotationX] = 0;
    v[kJoyRotationY] = 50;
    v[kJoyRotationZ] = 65535;
    v[kJoyPov0] = 27000;
    v[kJoyPov1] = 9000;  // only the first point of view counts
    controller.poll();
    const QXJoyAxes& axes = controller.axes();
    EXPECT_FLOAT_EQ(axes.x, -1.0f);
    EXPECT_FLOAT_EQ(axes.y, 1.0f);
    EXPECT_NEAR(axes.z, -0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(axes.u, 1.0f);
    EXPECT_FLOAT_EQ(axes.v, -1.0f);
    EXPECT_FLOAT_EQ(axes.pitch, -180.0f);
    EXPECT_FLOAT_EQ(axes.yaw, 90.0f);
    EXPECT_FLOAT_EQ(axes.roll, 180.0f);
    EXPECT_EQ(axes.hat, 270.0f);
    EXPECT_EQ(controller.type(), kJoyGamepad);

    // A failed reading keeps the last values.
    script->readable = false;
    v[kJoyX] = 65535;
    controller.poll();
    EXPECT_FLOAT_EQ(controller.axes().x, -1.0f);
}

TEST(JoystickController, PressesAreCountedOnceEachAndButtonsWrap) {
    QXJoyController controller(nullptr, kJoyJoystick, defaultRanges());
    // Pressed and released twice between two reads of the count.
    for (int i = 0; i < 2; ++i) {
        controller.apply(withDeviceButton(0, true));
        controller.apply(withDeviceButton(0, true));  // still held: no new press
        controller.apply(withDeviceButton(0, false));
    }
    EXPECT_EQ(controller.takeHits(1), 2);
    EXPECT_EQ(controller.takeHits(1), 0);
    EXPECT_EQ(controller.takeHits(17), 2);  // button 17 reads device button 0 too
    EXPECT_EQ(controller.takeHits(33), 0);  // 33 is button 1, already taken

    controller.apply(withDeviceButton(15, true));
    EXPECT_TRUE(controller.isDown(16));
    EXPECT_TRUE(controller.isDown(48));
    EXPECT_FALSE(controller.isDown(1));
    EXPECT_FALSE(controller.isDown(0));
    EXPECT_TRUE(controller.isDown(-16));  // wraps to 16
    controller.apply(withDeviceButton(16, true));  // device buttons past 16 are never read
    EXPECT_FALSE(controller.isDown(17));

    controller.flush();
    EXPECT_FALSE(controller.isDown(16));
    EXPECT_EQ(controller.takeHits(16), 0);
    // Still held after a flush: the next reading counts it as a new press.
    controller.apply(withDeviceButton(15, true));
    EXPECT_EQ(controller.takeHits(16), 1);
}

TEST(JoystickSet, PortsCapacityAndThePollInterval) {
    QXJoysticks set(countingClock);
    clockReads = 0;
    set.poll();
    EXPECT_EQ(clockReads, 0) << "no controllers: nothing to poll";

    auto script = centredScript();
    ASSERT_TRUE(set.add(scriptedController(script)));
    EXPECT_EQ(set.at(-1), nullptr);
    EXPECT_EQ(set.at(1), nullptr);
    ASSERT_NE(set.at(0), nullptr);

    fakeNow = 100;
    set.poll();
    EXPECT_EQ(script->reads, 1);
    fakeNow = 102;
    set.poll();
    EXPECT_EQ(script->reads, 1) << "2 ms after the last poll";
    fakeNow = 103;
    set.poll();
    EXPECT_EQ(script->reads, 2);
    fakeNow = 0xFFFFFFFEu;
    set.poll();
    EXPECT_EQ(script->reads, 3);
    fakeNow = 1;  // the clock wrapped: 3 ms later
    set.poll();
    EXPECT_EQ(script->reads, 4);

    for (int i = 1; i < kMaxJoysticks; ++i) ASSERT_TRUE(set.add(scriptedController(centredScript())));
    EXPECT_TRUE(set.full());
    EXPECT_FALSE(set.add(scriptedController(centredScript())));
    EXPECT_EQ(set.count(), kMaxJoysticks);
    EXPECT_NE(set.at(31), nullptr);
    EXPECT_EQ(set.at(32), nullptr);

    set.clear();
    EXPECT_EQ(set.count(), 0);

    // The finder looks once, at the first question after it is set.
    static int looks;
    looks = 0;
    set.setFinder([] { ++looks; });
    EXPECT_EQ(looks, 0);
    EXPECT_FALSE(set.looked());
    EXPECT_EQ(set.at(0), nullptr);
    set.poll();
    set.at(3);
    EXPECT_EQ(looks, 1);
    set.clear();
    set.at(0);
    EXPECT_EQ(looks, 1) << "a clear alone does not look again";
    EXPECT_NE(set.setFinder(nullptr), nullptr);
    set.at(0);
    EXPECT_EQ(looks, 1);
    EXPECT_EQ(script.use_count(), 1) << "clearing releases the devices";
}

namespace {
struct JoyCommands {
    int(QXCALL* type)(int) = command<int(QXCALL*)(int)>("%JoyType%port=0");
    int(QXCALL* down)(int, int) = command<int(QXCALL*)(int, int)>("%JoyDown%button%port=0");
    int(QXCALL* hit)(int, int) = command<int(QXCALL*)(int, int)>("%JoyHit%button%port=0");
    float(QXCALL* x)(int) = command<float(QXCALL*)(int)>("#JoyX%port=0");
    float(QXCALL* y)(int) = command<float(QXCALL*)(int)>("#JoyY%port=0");
    float(QXCALL* z)(int) = command<float(QXCALL*)(int)>("#JoyZ%port=0");
    float(QXCALL* u)(int) = command<float(QXCALL*)(int)>("#JoyU%port=0");
    float(QXCALL* v)(int) = command<float(QXCALL*)(int)>("#JoyV%port=0");
    float(QXCALL* pitch)(int) = command<float(QXCALL*)(int)>("#JoyPitch%port=0");
    float(QXCALL* yaw)(int) = command<float(QXCALL*)(int)>("#JoyYaw%port=0");
    float(QXCALL* roll)(int) = command<float(QXCALL*)(int)>("#JoyRoll%port=0");
    int(QXCALL* hat)(int) = command<int(QXCALL*)(int)>("%JoyHat%port=0");
    int(QXCALL* xDir)(int) = command<int(QXCALL*)(int)>("%JoyXDir%port=0");
    int(QXCALL* yDir)(int) = command<int(QXCALL*)(int)>("%JoyYDir%port=0");
    int(QXCALL* zDir)(int) = command<int(QXCALL*)(int)>("%JoyZDir%port=0");
    int(QXCALL* uDir)(int) = command<int(QXCALL*)(int)>("%JoyUDir%port=0");
    int(QXCALL* vDir)(int) = command<int(QXCALL*)(int)>("%JoyVDir%port=0");
    void(QXCALL* flush)() = command<void(QXCALL*)()>("FlushJoy");

    // Every value a port answers, for comparing ports.
    bool allZero(int port) const {
        return type(port) == 0 && down(1, port) == 0 && hit(1, port) == 0 && x(port) == 0.0f && y(port) == 0.0f &&
               z(port) == 0.0f && u(port) == 0.0f && v(port) == 0.0f && pitch(port) == 0.0f && yaw(port) == 0.0f &&
               roll(port) == 0.0f && hat(port) == 0 && xDir(port) == 0 && yDir(port) == 0 && zDir(port) == 0 &&
               uDir(port) == 0 && vDir(port) == 0;
    }
};

// Scripted controllers in the process's set, on a clock the test moves.
class JoystickCommands : public testing::Test {
protected:
    void SetUp() override {
        joysticks().clear();
        savedClock_ = joysticks().setClock(fakeClock);
        savedFinder_ = joysticks().setFinder(nullptr);  // only the scripted controllers
        fakeNow = 1000;
    }
    void TearDown() override {
        joysticks().clear();
        joysticks().setClock(savedClock_);
        joysticks().setFinder(savedFinder_);
    }
    // Lets the next command poll again.
    void later() { fakeNow += kJoyPollIntervalMs; }

    JoyCommands cmd;

private:
    QXJoyClock savedClock_ = nullptr;
    QXJoyFinder savedFinder_ = nullptr;
};
}  // namespace

TEST_F(JoystickCommands, CommandsReadThePolledController) {
    auto pad = centredScript();
    auto stick = centredScript();
    joysticks().add(scriptedController(pad, kJoyGamepad));
    joysticks().add(scriptedController(stick, kJoyJoystick));
    EXPECT_EQ(cmd.type(0), kJoyGamepad);
    EXPECT_EQ(cmd.type(1), kJoyJoystick);

    auto& v = stick->state.values;
    v[kJoyX] = 0;
    v[kJoyY] = 65535;
    v[kJoyZ] = 32768;
    v[kJoySlider0] = 65535 * 2 / 3 + 100;  // just past a third above the centre
    v[kJoySlider1] = 65535 / 3 - 100;
    v[kJoyRotationX] = 0;
    v[kJoyRotationY] = 65535;
    v[kJoyRotationZ] = 0;
    v[kJoyPov0] = 9000;
    later();
    EXPECT_FLOAT_EQ(cmd.x(1), -1.0f);
    EXPECT_FLOAT_EQ(cmd.y(1), 1.0f);
    EXPECT_EQ(cmd.xDir(1), -1);
    EXPECT_EQ(cmd.yDir(1), 1);
    EXPECT_EQ(cmd.zDir(1), 0);
    EXPECT_EQ(cmd.uDir(1), 1);
    EXPECT_EQ(cmd.vDir(1), -1);
    EXPECT_FLOAT_EQ(cmd.pitch(1), -180.0f);
    EXPECT_FLOAT_EQ(cmd.yaw(1), 180.0f);
    EXPECT_FLOAT_EQ(cmd.roll(1), -180.0f);
    EXPECT_EQ(cmd.hat(1), 90);
    EXPECT_EQ(cmd.hat(0), -1);

    // Calls less than 3 ms apart see the same values.
    v[kJoyX] = 65535;
    EXPECT_FLOAT_EQ(cmd.x(1), -1.0f);
    later();
    EXPECT_FLOAT_EQ(cmd.x(1), 1.0f);
}

TEST_F(JoystickCommands, ButtonsCountPressesUntilReadOrFlushed) {
    auto pad = centredScript();
    joysticks().add(scriptedController(pad, kJoyGamepad));
    for (int i = 0; i < 2; ++i) {
        pad->state.buttons[0] = 0x80;
        later();
        EXPECT_EQ(cmd.down(1, 0), 1);
        EXPECT_EQ(cmd.down(33, 0), 1);
        pad->state.buttons[0] = 0;
        later();
        EXPECT_EQ(cmd.down(1, 0), 0);
    }
    EXPECT_EQ(cmd.hit(1, 0), 2);
    EXPECT_EQ(cmd.hit(1, 0), 0);

    pad->state.buttons[2] = 0x80;
    later();
    EXPECT_EQ(cmd.down(3, 0), 1);
    cmd.flush();
    EXPECT_EQ(cmd.down(3, 0), 0) << "flushed, and no new poll yet";
    EXPECT_EQ(cmd.hit(3, 0), 0);
    later();
    EXPECT_EQ(cmd.hit(3, 0), 1) << "held on after the flush: counted as a new press";
}

TEST_F(JoystickCommands, PortsWithoutControllerAnswerZeroWithoutPolling) {
    EXPECT_TRUE(cmd.allZero(0)) << "no controllers at all";
    cmd.flush();

    auto pad = centredScript();
    pad->state.values[kJoyX] = 0;
    pad->state.buttons[0] = 0x80;
    joysticks().add(scriptedController(pad));
    const int reads = pad->reads;
    for (int port : {-1, 1, 32, INT_MIN}) {
        later();
        EXPECT_TRUE(cmd.allZero(port)) << "port " << port;
    }
    EXPECT_EQ(pad->reads, reads);
    later();
    EXPECT_EQ(cmd.hit(1, 0), 1);
}

TEST(JoystickModule, StartsAndStopsWithoutControllers) {
    JoyCommands cmd;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(startModule(&theWin32Joystick));
        EXPECT_FALSE(theWin32Joystick.hasDirectInput()) << "DirectInput is loaded at the first question, not at start";
        EXPECT_EQ(cmd.type(1), 0);
        EXPECT_TRUE(joysticks().looked());
        if (joysticks().count() > 0) {
            stopModule(&theWin32Joystick);
            GTEST_SKIP() << "a game controller is attached";
        }
        EXPECT_EQ(cmd.type(0), 0);
        EXPECT_EQ(cmd.x(0), 0.0f);
        EXPECT_EQ(cmd.hat(0), 0);
        EXPECT_TRUE(cmd.allZero(0));
        cmd.flush();
        stopModule(&theWin32Joystick);
        EXPECT_FALSE(theWin32Joystick.hasDirectInput());
        EXPECT_EQ(joysticks().count(), 0);
    }
}
