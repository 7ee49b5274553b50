// The polled keyboard and mouse commands. Each lets pending input arrive
// first (and honours a pause); the waits take and discard events from the
// queue until the state has something to return.

#include "events/QXEventDriver.h"
#include "events/QXInputState.h"
#include "runtime/QXRegistry.h"

namespace {
int QXCALL KeyDown(int keyCode) {
    pumpOnce();
    return inputState().keyDown(keyCode);
}

int QXCALL KeyHit(int keyCode) {
    pumpOnce();
    return inputState().keyHit(keyCode);
}

int QXCALL GetKey() {
    pumpOnce();
    return inputState().takeCharacter();
}

int QXCALL WaitKey() {
    pumpOnce();
    while (!inputState().hasCharacter()) waitCoreEvent(nullptr, -1, true);
    return inputState().takeCharacter();
}

void QXCALL FlushKeys() {
    pumpOnce();
    inputState().flushKeys();
}

int QXCALL MouseZ() {
    pumpOnce();
    return inputState().wheel();
}

int QXCALL MouseZSpeed() {
    pumpOnce();
    return inputState().wheelSpeed();
}

int QXCALL MouseDown(int button) {
    pumpOnce();
    return inputState().mouseDown(button);
}

int QXCALL MouseHit(int button) {
    pumpOnce();
    return inputState().mouseHit(button);
}

int QXCALL GetMouse() {
    pumpOnce();
    return inputState().takeButton();
}

int QXCALL WaitMouse() {
    pumpOnce();
    while (!inputState().hasButton()) waitCoreEvent(nullptr, -1, true);
    return inputState().takeButton();
}

void QXCALL FlushMouse() {
    pumpOnce();
    inputState().flushMouse();
}

const QXSymbol commands[] = {
    QX_COMMAND("%KeyDown%keycode", KeyDown),
    QX_COMMAND("%KeyHit%keycode", KeyHit),
    QX_COMMAND("%GetKey", GetKey),
    QX_COMMAND("%WaitKey", WaitKey),
    QX_COMMAND("%KeyWait", WaitKey),
    QX_COMMAND("FlushKeys", FlushKeys),
    QX_COMMAND("%MouseZ", MouseZ),
    QX_COMMAND("%MouseZSpeed", MouseZSpeed),
    QX_COMMAND("%MouseDown%button", MouseDown),
    QX_COMMAND("%MouseHit%button", MouseHit),
    QX_COMMAND("%GetMouse", GetMouse),
    QX_COMMAND("%WaitMouse", WaitMouse),
    QX_COMMAND("%MouseWait", WaitMouse),
    QX_COMMAND("FlushMouse", FlushMouse),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Graphics, commands);
}  // namespace
