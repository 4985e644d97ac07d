#include "host/toolkit_lifetime.h"

#include <juce_events/juce_events.h>

namespace {
int liveEffects = 0;
}

void startToolkit() { juce::initialiseJuce_GUI(); }

void effectCreated() { ++liveEffects; }

void effectDestroyed()
{
    if (liveEffects > 0)
        --liveEffects;
    stopToolkitWhenUnused();
}

void stopToolkitWhenUnused()
{
    if (liveEffects == 0 && juce::MessageManager::getInstanceWithoutCreating() != nullptr)
        juce::shutdownJuce_GUI();
}

int liveEffectCount() { return liveEffects; }
