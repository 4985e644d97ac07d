#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The box of the IR size. While the matrix holds IRs the editor disables it:
// it is drawn light grey then, and a click on it says in a bubble why it
// refuses input. Message thread.
class BRIrSizeEditor : public juce::TextEditor {
public:
    BRIrSizeEditor();

    void mouseDown(const juce::MouseEvent& event) override;
    void paint(juce::Graphics& g) override;
};
