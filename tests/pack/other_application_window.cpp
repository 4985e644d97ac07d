#include "tests/pack/other_application_window.h"

#include <X11/Xlib.h>

OtherApplicationWindow::OtherApplicationWindow() : display(XOpenDisplay(nullptr))
{
    if (display == nullptr)
        return;
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 600, 500, 200, 150, 0, 0, 0xffffff);
    XStoreName(display, window, "Other application");
    XMapWindow(display, window);
    XSync(display, False);
}

OtherApplicationWindow::~OtherApplicationWindow()
{
    if (display == nullptr)
        return;
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}
