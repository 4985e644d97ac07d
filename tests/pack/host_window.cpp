#include "tests/pack/host_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr int kLeft = 600;
constexpr int kTop = 450;
constexpr unsigned kWidth = 300;
constexpr unsigned kHeight = 200;

}  // namespace

HostWindow::HostWindow() : display(XOpenDisplay(nullptr))
{
    if (display == nullptr)
        return;
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), kLeft, kTop, kWidth, kHeight, 0, 0, 0xffffff);
    XStoreName(display, window, "Host");
    // Placed where the user put it: a window manager keeps it there.
    XSizeHints placement{};
    placement.flags = USPosition | USSize;
    placement.x = kLeft;
    placement.y = kTop;
    placement.width = kWidth;
    placement.height = kHeight;
    XSetWMNormalHints(display, window, &placement);
    XMapWindow(display, window);
    XSync(display, False);
}

HostWindow::~HostWindow()
{
    if (display == nullptr)
        return;
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}
