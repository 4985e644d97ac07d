#include "editor/wave_form.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

BRWaveForm::BRWaveForm(std::function<juce::String()> describeDrag) : describeDrag(std::move(describeDrag)) {}

void BRWaveForm::setDisplayWidth(int columns) { displayWidth = columns; }

void BRWaveForm::setSampleCount(int count) { sampleCount = count; }

void BRWaveForm::setSpectrumRate(double sampleRate) { spectrumRate = sampleRate; }

void BRWaveForm::setSamples(const float* samples, int available)
{
    clear();
    if (samples == nullptr || available < 1 || sampleCount < 1)
        return;
    try {
        envelope = makeWaveEnvelope(samples, available, sampleCount, displayWidth);
    } catch (const std::bad_alloc&) {
        return;
    }
    spectrum = computeIrSpectrum(samples, available, sampleCount, spectrumRate);
    holdsSamples = true;
    repaint();
}

void BRWaveForm::clear()
{
    holdsSamples = false;
    envelope = {};
    spectrum.reset();
    repaint();
}

void BRWaveForm::mouseDown(const juce::MouseEvent&) { dragStarted = false; }

void BRWaveForm::mouseDrag(const juce::MouseEvent& event)
{
    if (!event.mouseWasDraggedSinceMouseDown() || dragStarted)
        return;
    const juce::String description = describeDrag ? describeDrag() : juce::String();
    if (description.isEmpty() || !holdsSamples)
        return;
    dragStarted = true;
    if (auto* container = juce::DragAndDropContainer::findParentDragContainerFor(this))
        container->startDragging(description, this);
}

void BRWaveForm::paint(juce::Graphics& g)
{
    g.setColour(juce::Colours::black);
    if (!holdsSamples)
        return;
    // +1 is the top edge, -1 the bottom; louder samples are clipped at the edges.
    const float half = static_cast<float>(getHeight()) / 2.0f;
    const float lowest = -1.0f;
    const float highest = static_cast<float>(getHeight()) + 1.0f;
    int x = 0;
    for (const BRWaveColumn& column : envelope.columns) {
        if (!std::isnan(column.minimum) && !std::isnan(column.maximum)) {
            const float top = juce::jlimit(lowest, highest, half * (1.0f - column.maximum));
            const float bottom = juce::jlimit(lowest, highest, half * (1.0f - column.minimum));
            // At least one pixel, so silence shows as the centre line.
            g.fillRect(juce::Rectangle<float>(static_cast<float>(x), top, 1.0f, std::max(bottom - top, 1.0f)));
        }
        ++x;
    }
}
