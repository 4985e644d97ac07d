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

    void lookAndFeelChanged() override;
};
