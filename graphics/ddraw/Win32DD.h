#pragma once
// The module that owns the DirectDraw object. DirectDraw is loaded on first
// use (under Wine it brings wined3d, most of a program's start otherwise) and
// asked for its newer interfaces in turn; surfaces are made through
// IDirectDraw7, the level every current system and Wine provide. When it
// cannot be had, that first use stops the program with the start's error.

#include <ddraw.h>

#include "runtime/QXModule.h"

class Win32DD : public QXModule {
public:
    Win32DD();

    bool startup() override;
    void shutdown() override;

    // The highest interface level reached: 1, 2, 4 or 7 (0 while stopped).
    int level() {
        open();
        return level_;
    }
    // Null while stopped or when IDirectDraw7 is not to be had.
    IDirectDraw7* directDraw7() {
        open();
        return dd7_;
    }
    // Counts the starts, so that objects made by an earlier start can be told apart.
    int generation() const { return generation_; }

private:
    void open() {
        if (state == 2 && !opened_) openDirectDraw();
    }
    void openDirectDraw();

    bool opened_ = false;
    HMODULE library_ = nullptr;
    IDirectDraw* dd1_ = nullptr;
    IDirectDraw2* dd2_ = nullptr;
    IDirectDraw4* dd4_ = nullptr;
    IDirectDraw7* dd7_ = nullptr;
    int level_ = 0;
    int generation_ = 0;
};

extern Win32DD theWin32DD;
