#pragma once

#include <juce_events/juce_events.h>

namespace juce {
class Component;
}

// Keeps the toolkit's modal windows (a warning, a question, a chooser's
// dialog) above the host's top-level window that holds editor, while editor
// is on screen: each is marked transient for that window, which a window
// manager keeps it above, and raised whenever that window comes over it, as
// nothing else does on a server without a window manager. A click in the host
// then cannot hide the window that the editor waits for. Message thread.
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
