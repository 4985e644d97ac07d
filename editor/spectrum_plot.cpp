#include "editor/spectrum_plot.h"

#include <algorithm>
#include <cmath>

#include "primitives/dsp.h"

namespace {

// Where silence lies: deeper than any plot is high.
constexpr double kSilentDepth = 200.0;

}  // namespace

BRSpectrumPlot::BRSpectrumPlot(int viewWidth, int viewHeight)
    : plotWidth(viewWidth - 2 * kMargin), plotHeight(viewHeight - 2 * kMargin)
{
}

double BRSpectrumPlot::xOf(double frequency) const
{
    return kMargin +
           plotWidth * std::log10(frequency / kLowestFrequency) / std::log10(kHighestFrequency / kLowestFrequency);
}

float BRSpectrumPlot::yOf(float magnitude) const
{
    const double depth = magnitude > 0.0f ? std::fabs(20.0 * std::log10(static_cast<double>(magnitude))) : kSilentDepth;
    return static_cast<float>(kMargin + std::min(depth, static_cast<double>(plotHeight)));
}

juce::Path BRSpectrumPlot::outline(const BRIrSpectrum& spectrum) const
{
    juce::Path path;
    const float* frequencies = spectrum.frequencies.data();
    const float* magnitudes = spectrum.magnitudes.data();
    if (isEmpty() || spectrum.binCount < 1 || frequencies == nullptr || magnitudes == nullptr)
        return path;

    // Bin 0 lies at 0 Hz, so some bin is at or below the axis's start. Bins past
    // its end (a host rate above 44,100 Hz) are not drawn.
    const float* binsEnd = frequencies + spectrum.binCount;
    const auto lowest = static_cast<float>(kLowestFrequency);
    const auto highest = static_cast<float>(kHighestFrequency);
    const int start = static_cast<int>(std::upper_bound(frequencies, binsEnd, lowest) - frequencies) - 1;
    const int end = static_cast<int>(std::upper_bound(frequencies, binsEnd, highest) - frequencies);
    int binsPerPixel = (end - start) / plotWidth;
    if (binsPerPixel == 0)
        binsPerPixel = 2;

    const auto left = static_cast<float>(kMargin);
    const auto base = static_cast<float>(bottom());
    path.startNewSubPath(left, base);
    path.lineTo(left, yOf(magnitudes[start]));
    float lastX = left;
    for (int k = start + 1; k < end - (start + 1); k += binsPerPixel) {
        float peak = 0.0f;
        int offset = 0;
        dspMaxIndex(magnitudes + k, std::min(binsPerPixel, end - k), &peak, &offset);
        lastX = static_cast<float>(xOf(frequencies[k + offset]));
        path.lineTo(lastX, yOf(magnitudes[k + offset]));
    }
    path.lineTo(lastX, base);
    path.lineTo(left, base);
    path.closeSubPath();
    return path;
}
