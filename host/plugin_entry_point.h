#pragma once

#include <functional>

#include <juce_audio_processors/juce_audio_processors.h>

#include "host/vst/aeffect.h"

// Makes the processor of a new effect; null when it cannot. May throw.
using ProcessorFactory = std::function<juce::AudioProcessor*()>;

// One effect for the host behind hostCallback: starts the GUI toolkit on the
// calling thread, asks the host for its VST version, makes the processor and
// its adapter. Answers the effect's record, or null when the callback is null,
// the host answers version 0, no processor is made, or anything throws; no
// effect is left behind then, and the toolkit stops when no other effect
// lives. The host's GUI thread; allocates.
AEffect* pluginEntryPoint(audioMasterCallback hostCallback, const ProcessorFactory& makeProcessor);
