#pragma once

#include <juce_events/juce_events.h>

namespace juce {
class Component;
}

// Keeps the toolkit's modal windows (a warning, a question, a chooser's
// dialog) above the host's top-level window that holds editor, while editor
// is on screen: each is marked transient for that window, for the window
// managers that keep such a window above its owner, and raised whenever that
// window comes over it, for those that do not (openbox, once the window is
// up) and for a server without one. A click in the host then cannot hide the
// window that the editor waits for. Message thread.
class BRModalsAboveEditor : private juce::Timer {
public:
    explicit BRModalsAboveEditor(juce::Component& editor);
    ~BRModalsAboveEditor() override;
    BRModalsAboveEditor(const BRModalsAboveEditor&) = delete;
    BRModalsAboveEditor& operator=(const BRModalsAboveEditor&) = delete;

private:
    void timerCallback() override;

    juce::Component& editor;
};
