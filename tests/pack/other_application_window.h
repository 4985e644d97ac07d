#pragma once

struct _XDisplay;

// A mapped top-level window of another application, titled "Other
// application", on an X connection of its own to $DISPLAY; a window manager
// places it as it likes.
class OtherApplicationWindow {
public:
    OtherApplicationWindow();
    ~OtherApplicationWindow();
    OtherApplicationWindow(const OtherApplicationWindow&) = delete;
    OtherApplicationWindow& operator=(const OtherApplicationWindow&) = delete;

    // False when the display could not be reached.
    bool shown() const { return display != nullptr; }
    unsigned long id() const { return window; }

private:
    _XDisplay* display;
    unsigned long window = 0;
};
