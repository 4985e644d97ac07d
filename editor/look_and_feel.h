#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The editor's look: the toolkit's classic look, with text-box outlines drawn
// as plain 1-pixel rectangles in each box's own outline colour, whatever its
// focus or enabled state. It makes no alert sound: the toolkit's writes a BEL
// character to the host's standard output.
class BRLookAndFeel : public juce::LookAndFeel_V2 {
public:
    void drawTextEditorOutline(juce::Graphics& g, int width, int height, juce::TextEditor& textEditor) override;
    void playAlertSound() override {}
};

// Makes the process's one BRLookAndFeel the toolkit's default, creating it on
// the first call. It is never deleted: it outlives every component that uses
// it and every restart of the toolkit. Every editor calls this when it is
// built. Message thread.
BRLookAndFeel& useSharedLookAndFeel();

// Makes the shared look the default when it is built: the first base of a
// component whose children must be built in that look.
struct BRSharedLookInstaller {
    BRSharedLookInstaller() { useSharedLookAndFeel(); }
};
