#include "engine/filter.h"

// The state document is not written yet: the host keeps an empty chunk.
void BRFilter::getStateInformation(juce::MemoryBlock& destData)
{
    destData.reset();
}

void BRFilter::setStateInformation(const void*, int)
{
}
