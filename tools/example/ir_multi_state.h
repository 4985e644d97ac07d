#pragma once

#include <juce_core/juce_core.h>

// The state chunk a host keeps for the plug-in after the user loaded irFile
// in IR multi mode: the processor's own state document, with `inputs` inputs,
// as many outputs as the file has channels, and the wet gain in decibels.
// The processor reads the file as it would for the user (irSize = frames /
// inputs). False, with the reason in `error`, when inputs is outside 1..32,
// the file cannot be read, has more than 32 channels or is refused. Makes
// and removes a scratch folder for the processor's settings file; runs on the
// calling thread, which must be the toolkit's message thread when one runs.
bool makeIrMultiState(const juce::File& irFile, int inputs, double wetGainDb, juce::MemoryBlock& state,
                      juce::String& error);
