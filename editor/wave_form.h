#pragma once

#include <functional>
#include <memory>

#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/ir_spectrum.h"
#include "editor/wave_envelope.h"

// One IR cell's waveform, drawn as a min / max envelope one pixel column wide
// per column, and the source of drags of that IR. It keeps copies of what it
// draws and shares its spectrum, so the cell's samples may be replaced or freed
// as soon as setSamples returns. Message thread only.
class BRWaveForm : public juce::Component {
public:
    // describeDrag gives the text a drag of this IR carries; an empty text starts no drag.
    explicit BRWaveForm(std::function<juce::String()> describeDrag);

    // What the next setSamples lays out: columns to draw, samples the IR has
    // (those past the samples given count as silence), and the rate its spectrum's
    // bins are spaced for (not positive: kDefaultSpectrumRate, as before the host starts).
    void setDisplayWidth(int columns);
    void setSampleCount(int count);
    void setSpectrumRate(double sampleRate);

    // Shows the IR whose first `available` samples lie at samples: its envelope
    // and its spectrum are computed here, once. Reads no sample past available;
    // keeps no pointer to them. Allocates.
    void setSamples(const float* samples, int available);

    // Back to no IR; a zoom view that shows the spectrum keeps it.
    void clear();

    bool hasSamples() const { return holdsSamples; }
    const BRWaveEnvelope& getEnvelope() const { return envelope; }
    // Null without samples, or when memory ran out computing it.
    std::shared_ptr<const BRIrSpectrum> getSpectrum() const { return spectrum; }

    void mouseDown(const juce::MouseEvent& event) override;
    void mouseDrag(const juce::MouseEvent& event) override;
    void paint(juce::Graphics& g) override;

private:
    std::function<juce::String()> describeDrag;
    int displayWidth = 0;
    int sampleCount = 0;
    double spectrumRate = kDefaultSpectrumRate;
    bool holdsSamples = false;
    bool dragStarted = false;
    BRWaveEnvelope envelope;
    std::shared_ptr<const BRIrSpectrum> spectrum;
};
