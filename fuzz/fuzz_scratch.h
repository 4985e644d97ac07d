#pragma once

#include <memory>
#include <string>

#include <juce_core/juce_core.h>

#include "engine/filter.h"

// A folder of the fuzzing process's own under the system's temporary folder,
// made on first use and removed when the process ends. Nothing the targets
// write goes anywhere else: never into the user's configuration.
const juce::File& fuzzScratchFolder();

// Writes bytes as the whole of the named file in the scratch folder.
juce::File writeScratchFile(const juce::String& name, const std::string& bytes);

// A processor of inputs × outputs whose plug-in file lies in the scratch
// folder, its warnings dropped, its settings file never written.
std::unique_ptr<BRFilter> makeFuzzProcessor(int inputs, int outputs);

// Stops the process as a sanitizer would: the promise in `what` was broken.
[[noreturn]] void brokenPromise(const char* what);
