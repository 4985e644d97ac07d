#pragma once

#include <cstdint>

#include <juce_core/juce_core.h>

#include "engine/filter.h"
#include "host/vst/aeffect.h"

// A host that keeps no state, so that it answers any thread at once.
intptr_t statelessHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

// Brondil's effect with its processor and editor, channels × channels, its
// settings file beside pluginFile and its warnings in warnings; made through
// the plug-in's entry for host. made, when given, receives the processor.
AEffect* makeBrondilInProcess(audioMasterCallback host, const juce::File& pluginFile, int channels,
                              BRWarningSink warnings, BRFilter** made = nullptr);
