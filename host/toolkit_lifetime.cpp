#include "host/toolkit_lifetime.h"

#include <atomic>

#include <juce_events/juce_events.h>

#include "host/window_manager_atoms.h"

namespace {
std::atomic<int> liveEffects{0};
}

void startToolkit()
{
    juce::initialiseJuce_GUI();
    connectToolkitWithWindowManagerAtoms();
}

void effectCreated() { ++liveEffects; }

void effectDestroyed()
{
    int count = liveEffects.load();
    while (count > 0 && !liveEffects.compare_exchange_weak(count, count - 1)) {
    }
    stopToolkitWhenUnused();
}

void stopToolkitWhenUnused()
{
    // Another thread may be serving the toolkit's windows and messages.
    if (liveEffects.load() == 0 && juce::MessageManager::existsAndIsCurrentThread())
        juce::shutdownJuce_GUI();
}

int liveEffectCount() { return liveEffects.load(); }
