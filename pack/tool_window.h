#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A small window the editor opens beside itself (Pack tool, Credits!): it
// deletes itself when closed, by its close button or by escape. Message thread.
class BRToolWindow : public juce::DialogWindow {
public:
    BRToolWindow(const juce::String& title, juce::Colour background);

    BRToolWindow(const BRToolWindow&) = delete;
    BRToolWindow& operator=(const BRToolWindow&) = delete;

    void closeButtonPressed() override;
    // JUCE 7 merely hides a dialog on escape, which would leave the single
    // window alive and unseen: escape closes it like the close button.
    bool escapeKeyPressed() override;
    // JUCE disables the title bar's buttons while the window is inactive, and
    // may learn that a click activated it only after handling the click's
    // press: the close button stays enabled, so one click closes the window.
    void activeWindowStatusChanged() override;
};
