#pragma once
// A window's pixels on the X display, read back as the tests photograph
// windows (X11 is kept out of the tests' own files: its macros clash).

#include <cstdint>
#include <string>
#include <vector>

// The pixels as 0xRRGGBB, row by row; empty when there was no window.
struct WindowShot {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t at(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

// The first visible window titled `name` on $DISPLAY.
WindowShot shootWindow(const std::string& name);
