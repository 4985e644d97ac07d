#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <X11/Xlib.h>

namespace guitest {

// While it lives, X errors end no one: windows go while the test looks at
// them, and Xlib's default handler would end the test's process. The handler
// is the process's, so it also swallows the errors of the code under test.
class IgnoredXErrors {
public:
    IgnoredXErrors();
    ~IgnoredXErrors();
    IgnoredXErrors(const IgnoredXErrors&) = delete;
    IgnoredXErrors& operator=(const IgnoredXErrors&) = delete;

private:
    XErrorHandler previous;
};

// What the X server says about windows, asked through a connection of the
// test's own; the server first handles every request sent on it so far. A
// window that goes meanwhile reads as gone.

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

// A viewable window titled name among the root's children and up to two
// levels below them (a window manager's frame holds it); 0 when none is.
Window viewableWindowNamed(Display* display, const std::string& name);

// True when the keyboard's input goes to window or a window inside it.
bool holdsKeyboardFocus(Display* display, Window window);

// The window's pixels as it shows them, children included, as 0xRRGGBB.
struct WindowPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;  // row by row; empty when the server gives none
    uint32_t at(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};
WindowPixels capturePixels(Display* display, Window window);

}  // namespace guitest
