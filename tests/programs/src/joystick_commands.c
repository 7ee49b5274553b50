/* Joystick commands on a machine without game controllers: every port
   answers 0. Prints "ok <check>" or "FAIL <check>" per check. */
#include "qxprog.h"
#include "qxtest.h"

static void check(int ok, const char* what) {
    Write(text(ok ? "ok " : "FAIL "));
    Print(text(what));
}

static int silent(int port) {
    return JoyType(port) == 0 && JoyDown(1, port) == 0 && JoyDown(33, port) == 0 && JoyHit(1, port) == 0 &&
           JoyX(port) == 0.0f && JoyY(port) == 0.0f && JoyZ(port) == 0.0f && JoyU(port) == 0.0f &&
           JoyV(port) == 0.0f && JoyPitch(port) == 0.0f && JoyYaw(port) == 0.0f && JoyRoll(port) == 0.0f &&
           JoyHat(port) == 0 && JoyXDir(port) == 0 && JoyYDir(port) == 0 && JoyZDir(port) == 0 &&
           JoyUDir(port) == 0 && JoyVDir(port) == 0;
}

void qxmain(void) {
    check(JoyType(0) == 0, "no controller on port 0");
    check(silent(0), "port 0 answers 0");
    check(silent(-1) && silent(32) && silent(1), "other ports answer 0");
    FlushJoy();
    check(silent(0), "FlushJoy");
}
