#pragma once

#include <juce_core/juce_core.h>

#include "pack/pack_options.h"

// The file a pack is written to for the name chosen in the save dialog: the
// name as typed when it ends in the format's extension (".wav", or ".aiff" or
// ".aif", in any case); the format's ".WAV" or ".AIFF" in place of the other
// format's extension, so that the name tells what the file holds; otherwise
// with the format's extension added. The overwrite question asks about this
// file. Any thread.
juce::File packFileWithExtension(const juce::File& chosen, BRPackFormat format);
