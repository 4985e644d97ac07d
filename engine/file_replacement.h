#pragma once

#include <cstddef>

#include <juce_core/juce_core.h>

enum class BRFileReplacement {
    replaced,
    readOnly,  // the file exists and may not be written: left as it is
    failed
};

// Gives file the content data (size bytes), creating it when it is missing. A
// symbolic link stays as it is and the file it leads to is replaced. The
// content goes to a temporary file in the target's folder that is renamed over
// the target, so readers see the old content or the new, never a part; a
// replaced file keeps its permission bits. A file without write permission,
// even for root, is not touched. Temporaries of this kind whose process is gone
// (a save killed midway) are removed; those of living processes are left to
// them. Unless replaced, why (when given) receives the system's reason.
// Any thread but the audio thread; allocates.
BRFileReplacement replaceFileContent(const juce::File& file, const char* data, std::size_t size,
                                     juce::String* why = nullptr);
