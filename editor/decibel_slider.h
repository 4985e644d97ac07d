#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A slider of a level in decibels, in steps of 0.01 dB, shown with " dB".
// Its proportion is the host's normalised value of the level. Message thread.
class BRDecibelSlider : public juce::Slider {
public:
    // minimumDb < maximumDb.
    BRDecibelSlider(const juce::String& componentName, double minimumDb, double maximumDb);

    // Sets minimum + (maximum − minimum) × proportion; listeners hear of it
    // later, from the message loop, when notify is set.
    void setValueFromProportion(double proportion, bool notify);
    // (value − minimum) / (maximum − minimum).
    double getValueAsProportion() const;

    // The level that a typed text asks for, snapped to the step and clamped to
    // the range: a number with or without "dB" in any letter case. Any other
    // text gives the current level, so that the slider changes nothing and
    // tells the host nothing.
    double getValueFromText(const juce::String& text) override;

    void lookAndFeelChanged() override;
};
