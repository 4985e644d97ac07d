#include "engine/filter.h"

#include "engine/number_text.h"

namespace {
constexpr int kWetGainIndex = 0;
}

int BRFilter::getNumParameters() { return 1; }

const juce::String BRFilter::getParameterName(int index)
{
    return index == kWetGainIndex ? wetGain.getName() : juce::String("<unnamed>");
}

float BRFilter::getParameter(int index)
{
    return index == kWetGainIndex ? static_cast<float>(wetGain.getValue()) : 0.0f;
}

const juce::String BRFilter::getParameterText(int index)
{
    return formatFixed(index == kWetGainIndex ? wetGain.getDb() : 0.0, 2);
}

void BRFilter::setParameter(int, float value)
{
    // Hosts send the wet gain under any index: the one parameter takes them all.
    wetGain.setValue(value);
    // Posting a message may allocate and wait for the message queue's lock:
    // only the message thread does it. The editor polls for the others.
    if (juce::MessageManager::existsAndIsCurrentThread())
        sendChangeMessage();
}
