#pragma once

#include <juce_core/juce_core.h>

#include "engine/filter.h"

// Whether a sound file suits the processor's working mode: one channel in IR
// mono, as many as the outputs in the other modes, recorded at the host's
// sample rate. Before the host first starts the effect the rate is 0, unknown,
// and refuses no file. The file list holds the files that suited when the
// directory was scanned; a load checks again, since files change on disk.
// Message thread.

// Empty when the file at path suits; otherwise why not, in words for the user.
juce::String whyIrFileDoesNotSuit(const BRFilter& filter, const juce::String& path);

// True when the file at path still suits; otherwise false after the
// processor's warning has said why.
bool irFileStillSuits(BRFilter& filter, const juce::String& path);
