#pragma once

struct _XDisplay;

// A host's mapped top-level window, titled "Host", 300 x 200 at (600, 450),
// made by the host on an X connection of its own to $DISPLAY, for a plug-in's
// editor to go into.
class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // False when the display could not be reached.
    bool shown() const { return display != nullptr; }
    unsigned long id() const { return window; }

private:
    _XDisplay* display;
    unsigned long window = 0;
};
