#pragma once

#include <juce_core/juce_core.h>

#include "pack/pack_options.h"

// The file a pack is written to for the name chosen in the save dialog: the
// name as typed when it ends in ".wav", ".aiff" or ".aif" in any case,
// otherwise with the format's extension, ".WAV" or ".AIFF", added. The overwrite
// question asks about this file. Any thread.
juce::File packFileWithExtension(const juce::File& chosen, BRPackFormat format);
