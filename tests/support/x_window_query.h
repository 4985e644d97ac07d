#pragma once

#include <cstdint>
#include <vector>

#include <X11/Xlib.h>

namespace guitest {

// What the X server says about windows, asked through a connection of the
// test's own; the server first handles every request sent on it so far.

struct WindowState {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool viewable = false;  // mapped, and every ancestor mapped
};

// The window's children, bottom to top.
std::vector<Window> childWindows(Display* display, Window window);
WindowState windowState(Display* display, Window window);
// How high the top-level window that holds window (its window manager's
// frame, if any) stands among the root's children, from 0 at the bottom; -1
// when the window is gone.
int stackingHeight(Display* display, Window window);

// The window's pixels as it shows them, children included, as 0xRRGGBB.
struct WindowPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;  // row by row; empty when the server gives none
    uint32_t at(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};
WindowPixels capturePixels(Display* display, Window window);

}  // namespace guitest
