#pragma once

#include <memory>
#include <string>

#include <X11/Xlib.h>

// A top-level X window on $DISPLAY, as a host makes for a plug-in's editor,
// through an X connection of its own. Used from one thread.
class HostWindow {
public:
    // Null, with a message in `error`, when there is no X display. The window
    // is mapped when this returns.
    static std::unique_ptr<HostWindow> create(int width, int height, const std::string& title, std::string& error);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    Display* display() const { return connection; }
    Window id() const { return window; }

    void resize(int width, int height);
    // Takes what the server sent; false once the user has asked to close the window.
    bool handleEvents();

private:
    HostWindow(Display* connection, Window window, Atom deleteWindow);

    Display* connection;
    Window window;
    Atom deleteWindow;
    bool closeAsked = false;
};
