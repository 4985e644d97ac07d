#pragma once

#include <juce_graphics/juce_graphics.h>

#include "editor/ir_spectrum.h"

// Where the zoom view draws a spectrum: a plot framed 10 pixels inside the view,
// frequency on a log axis from 10 Hz at its left edge to 22,050 Hz at its right,
// level one pixel per dB downwards from 0 dB at its top edge. Any thread.
class BRSpectrumPlot {
public:
    static constexpr int kMargin = 10;
    static constexpr double kLowestFrequency = 10.0;
    static constexpr double kHighestFrequency = 22050.0;

    // The plot of a view of that size: 20 pixels narrower and lower.
    BRSpectrumPlot(int viewWidth, int viewHeight);

    int width() const { return plotWidth; }
    int height() const { return plotHeight; }
    bool isEmpty() const { return plotWidth < 1 || plotHeight < 1; }
    int bottom() const { return kMargin + plotHeight; }

    // The x of a frequency above 0 Hz.
    double xOf(double frequency) const;

    // The y of a magnitude: |20 log10 m| dB below the top edge, at most the
    // bottom edge. A magnitude that is zero, negative or NaN has no level and
    // lies on the bottom edge.
    float yOf(float magnitude) const;

    // The spectrum's curve closed along the bottom edge, from its last bin at or
    // below 10 Hz to its last bin at or below 22,050 Hz: one point per group of
    // bins per pixel, at the group's peak. Empty for an empty plot or spectrum.
    juce::Path outline(const BRIrSpectrum& spectrum) const;

private:
    int plotWidth;
    int plotHeight;
};
