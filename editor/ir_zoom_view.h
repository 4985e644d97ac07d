#pragma once

#include <memory>

#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/ir_spectrum.h"

// The spectrum of the selected IR cell on a log frequency axis from 10 Hz to
// 22,050 Hz, under a level grid in 12 dB steps. It shares the spectrum it shows,
// so the cell may be reloaded or emptied meanwhile. Message thread only.
class BRIrZoomView : public juce::Component {
public:
    BRIrZoomView() = default;

    // Shows spectrum (null: nothing) with title in the tab of the outline.
    void setSpectrum(std::shared_ptr<const BRIrSpectrum> shown, const juce::String& title);

    // Back to the background, frame and grid alone.
    void clearSpectrum();

    std::shared_ptr<const BRIrSpectrum> getSpectrum() const { return spectrum; }

    void paint(juce::Graphics& g) override;

private:
    void drawBackground(juce::Graphics& g) const;
    void drawFrequencyGrid(juce::Graphics& g, int plotWidth, int plotHeight) const;
    void drawLevelLabels(juce::Graphics& g, int plotHeight) const;

    std::shared_ptr<const BRIrSpectrum> spectrum;
    juce::String zoomTitle;
};
