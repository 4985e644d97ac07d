#include "editor/ir_zoom_view.h"

#include <cmath>
#include <utility>

#include "editor/gui_constants.h"
#include "editor/spectrum_plot.h"

namespace {

constexpr float kGridFontHeight = 10.0f;
constexpr int kLevelStep = 12;  // dB between level lines
constexpr float kCornerRadius = 10.0f;

}  // namespace

void BRIrZoomView::setSpectrum(std::shared_ptr<const BRIrSpectrum> shown, const juce::String& title)
{
    spectrum = std::move(shown);
    zoomTitle = title;
    repaint();
}

void BRIrZoomView::clearSpectrum()
{
    spectrum.reset();
    repaint();
}

void BRIrZoomView::paint(juce::Graphics& g)
{
    drawBackground(g);
    const BRSpectrumPlot plot(getWidth(), getHeight());
    if (plot.isEmpty())
        return;
    const int margin = BRSpectrumPlot::kMargin;
    g.drawRect(margin, margin, plot.width(), plot.height(), 1);
    g.setFont(kGridFontHeight);
    drawFrequencyGrid(g, plot.width(), plot.height());
    for (int y = margin + kLevelStep; y <= plot.height(); y += kLevelStep)
        g.drawHorizontalLine(y, static_cast<float>(margin), static_cast<float>(margin + plot.width()));
    if (spectrum != nullptr) {
        const juce::Path curve = plot.outline(*spectrum);
        g.strokePath(curve, juce::PathStrokeType(2.0f));
        g.setColour(guiCream.withAlpha(0.75f));
        g.fillPath(curve);
        g.setColour(juce::Colours::black);
        g.drawFittedText(zoomTitle, 245, 0, 50, 18, juce::Justification::topLeft, 1, 0.7f);
    }
    drawLevelLabels(g, plot.height());
}

void BRIrZoomView::drawBackground(juce::Graphics& g) const
{
    // A rectangle with a 10-pixel-deep tab cut into its top edge, where the title goes.
    const auto w = static_cast<float>(getWidth());
    const auto h = static_cast<float>(getHeight());
    juce::Path outline;
    outline.startNewSubPath(0.0f, 0.0f);
    outline.lineTo(0.0f, h);
    outline.lineTo(w, h);
    outline.lineTo(w, 0.0f);
    outline.lineTo(322.5f, 0.0f);
    outline.lineTo(312.5f, 10.0f);
    outline.lineTo(212.5f, 10.0f);
    outline.lineTo(202.5f, 0.0f);
    outline.closeSubPath();
    const juce::Path background = outline.createPathWithRoundedCorners(kCornerRadius);
    g.setColour(juce::Colours::lightblue.withAlpha(0.5f));
    g.fillPath(background);
    g.setColour(guiBlack);
    g.strokePath(background, juce::PathStrokeType(1.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
}

void BRIrZoomView::drawFrequencyGrid(juce::Graphics& g, int plotWidth, int plotHeight) const
{
    // One vertical line per 1, 2, ... 9 times a decade; each decade is labelled at its first line.
    const int margin = BRSpectrumPlot::kMargin;
    const double decadesOnAxis = std::log10(BRSpectrumPlot::kHighestFrequency / BRSpectrumPlot::kLowestFrequency);
    int lastX = 0;
    for (int decade = 10; lastX < plotWidth; decade *= 10) {
        for (int f = decade; f < 10 * decade; f += decade) {
            lastX = margin + static_cast<int>(plotWidth * std::log10(f / 10.0) / decadesOnAxis);
            if (lastX > margin + plotWidth)
                break;
            g.drawVerticalLine(lastX, static_cast<float>(margin), static_cast<float>(margin + plotHeight));
            if (f == decade)
                g.drawFittedText(juce::String(decade), lastX + 2, 0, 50, 12, juce::Justification::left, 1, 0.7f);
        }
    }
}

void BRIrZoomView::drawLevelLabels(juce::Graphics& g, int plotHeight) const
{
    // Under each level line at the plot's left edge, where no frequency line
    // crosses them, and over the curve, which would hide them: how many dB below
    // the top edge the line lies.
    const int margin = BRSpectrumPlot::kMargin;
    g.setColour(guiBlack);
    for (int y = margin + kLevelStep; y <= plotHeight; y += kLevelStep)
        g.drawFittedText(juce::String(y - margin), margin + 3, y, 20, 12, juce::Justification::centredLeft, 1, 0.7f);
}
