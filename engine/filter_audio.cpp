#include "engine/filter.h"

void BRFilter::prepareToPlay(double, int)
{
    inputs = getTotalNumInputChannels();
    outputs = getTotalNumOutputChannels();
}

void BRFilter::releaseResources()
{
}

void BRFilter::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    // No IR cell is loaded yet, and an incomplete matrix sounds silence.
    buffer.clear();
}
