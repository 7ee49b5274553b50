#pragma once
// The joystick module: finds the attached game controllers through
// DirectInput 5, loaded at run time when a program first asks about a port.
// Without DirectInput, or with no controller attached, there are none; the
// start never fails.

#include <windows.h>

#include "runtime/QXModule.h"

struct IDirectInput2A;

class Win32Joystick : public QXModule {
public:
    Win32Joystick();

    bool startup() override;
    // Releases the controllers, DirectInput and its library.
    void shutdown() override;

    // Tells whether DirectInput could be loaded and created (for tests).
    bool hasDirectInput() const { return input_ != nullptr; }

    // Loads DirectInput (once per start) and adds the attached controllers.
    void findJoysticks();

private:
    bool createDirectInput();
    void releaseDirectInput();

    HMODULE library_ = nullptr;
    IDirectInput2A* input_ = nullptr;
};

extern Win32Joystick theWin32Joystick;
