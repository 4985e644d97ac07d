#include "tests/host/adapter_probe_editor.h"

int ProbeEditor::liveCount = 0;

ProbeEditor::ProbeEditor(juce::AudioProcessor& processor) : juce::AudioProcessorEditor(processor)
{
    ++liveCount;
    setSize(width, height);
    startTimer(timerIntervalMs);
}

ProbeEditor::~ProbeEditor()
{
    if (whileDeleted)
        whileDeleted();
    --liveCount;
}

void ProbeEditor::paint(juce::Graphics& g)
{
    ++paints;
    g.fillAll(juce::Colour(background));
    g.setColour(juce::Colour(marker));
    g.fillRect(0, 0, markerSize, markerSize);
    g.setColour(juce::Colours::white);
    g.setFont(18.0f);
    g.drawText("Probe editor, paint " + juce::String(paints), getLocalBounds().withTrimmedTop(markerSize),
               juce::Justification::centred);
}

void ProbeEditor::timerCallback()
{
    ++ticks;
    repaint();
}
