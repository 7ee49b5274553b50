#pragma once
// The module that owns the DirectDraw object. DirectDraw is loaded at start
// and asked for its newer interfaces in turn; surfaces are made through
// IDirectDraw7, the level every current system and Wine provide.

#include <ddraw.h>

#include "runtime/QXModule.h"

class Win32DD : public QXModule {
public:
    Win32DD();

    bool startup() override;
    void shutdown() override;

    // The highest interface level reached: 1, 2, 4 or 7 (0 while stopped).
    int level() const { return level_; }
    // Null while stopped or when IDirectDraw7 is not to be had.
    IDirectDraw7* directDraw7() const { return dd7_; }
    // Counts the starts, so that objects made by an earlier start can be told apart.
    int generation() const { return generation_; }

private:
    HMODULE library_ = nullptr;
    IDirectDraw* dd1_ = nullptr;
    IDirectDraw2* dd2_ = nullptr;
    IDirectDraw4* dd4_ = nullptr;
    IDirectDraw7* dd7_ = nullptr;
    int level_ = 0;
    int generation_ = 0;
};

extern Win32DD theWin32DD;
