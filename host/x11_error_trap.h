#pragma once

#include <X11/Xlib.h>

// Swallows the X errors of the requests sent on `display` while it lives. A
// plug-in installs no X error handler of its own, and the host's (Xlib's
// default among them) may end the process on a BadWindow that a window gone
// between two of our requests causes. Errors of requests sent before are
// handed to the host's handler first: they are not ours to hide. The handler
// is the process's, so hold the toolkit's X lock and keep the scope short.
// Message thread.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(::Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

private:
    ::Display* display;
    XErrorHandler previous;
};
