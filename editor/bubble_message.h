#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Shows text in a bubble pointing at target for milliseconds; any mouse click
// removes it earlier, and it deletes itself after use or when target is
// deleted, whichever comes first. Where windows cannot be semi-transparent (no
// compositing manager) the bubble is drawn inside the plug-in editor that
// holds target, or else target's top-level component. The bubble lies wholly
// inside that component, or on the screen. Message thread; target must be
// showing.
void showBubbleMessage(juce::Component& target, const juce::String& text, int milliseconds);
