// The joystick commands. A port with no controller answers 0 without
// polling; otherwise every command polls before it reads.

#include "netgame/QXJoystick.h"
#include "runtime/QXRegistry.h"

namespace {
QXJoyController* polledController(int port) {
    QXJoyController* controller = joysticks().at(port);
    if (controller) joysticks().poll();
    return controller;
}

template <float QXJoyAxes::*Axis> float QXCALL JoyAxis(int port) {
    const QXJoyController* controller = polledController(port);
    return controller ? controller->axes().*Axis : 0.0f;
}

template <float QXJoyAxes::*Axis> int QXCALL JoyAxisDir(int port) {
    const QXJoyController* controller = polledController(port);
    return controller ? joyDirection(controller->axes().*Axis) : 0;
}

int QXCALL JoyType(int port) {
    const QXJoyController* controller = polledController(port);
    return controller ? controller->type() : kJoyNone;
}

int QXCALL JoyDown(int button, int port) {
    const QXJoyController* controller = polledController(port);
    return controller && controller->isDown(button) ? 1 : 0;
}

int QXCALL JoyHit(int button, int port) {
    QXJoyController* controller = polledController(port);
    return controller ? controller->takeHits(button) : 0;
}

int QXCALL JoyHat(int port) {
    const QXJoyController* controller = polledController(port);
    return controller ? static_cast<int>(controller->axes().hat) : 0;
}

void QXCALL FlushJoy() {
    joysticks().poll();
    joysticks().flush();
}

const QXSymbol commands[] = {
    QX_COMMAND("%JoyType%port=0", JoyType),
    QX_COMMAND("%JoyDown%button%port=0", JoyDown),
    QX_COMMAND("%JoyHit%button%port=0", JoyHit),
    QX_COMMAND("#JoyX%port=0", JoyAxis<&QXJoyAxes::x>),
    QX_COMMAND("#JoyY%port=0", JoyAxis<&QXJoyAxes::y>),
    QX_COMMAND("#JoyZ%port=0", JoyAxis<&QXJoyAxes::z>),
    QX_COMMAND("#JoyU%port=0", JoyAxis<&QXJoyAxes::u>),
    QX_COMMAND("#JoyV%port=0", JoyAxis<&QXJoyAxes::v>),
    QX_COMMAND("#JoyPitch%port=0", JoyAxis<&QXJoyAxes::pitch>),
    QX_COMMAND("#JoyYaw%port=0", JoyAxis<&QXJoyAxes::yaw>),
    QX_COMMAND("#JoyRoll%port=0", JoyAxis<&QXJoyAxes::roll>),
    QX_COMMAND("%JoyHat%port=0", JoyHat),
    QX_COMMAND("%JoyXDir%port=0", JoyAxisDir<&QXJoyAxes::x>),
    QX_COMMAND("%JoyYDir%port=0", JoyAxisDir<&QXJoyAxes::y>),
    QX_COMMAND("%JoyZDir%port=0", JoyAxisDir<&QXJoyAxes::z>),
    QX_COMMAND("%JoyUDir%port=0", JoyAxisDir<&QXJoyAxes::u>),
    QX_COMMAND("%JoyVDir%port=0", JoyAxisDir<&QXJoyAxes::v>),
    QX_COMMAND("FlushJoy", FlushJoy),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
