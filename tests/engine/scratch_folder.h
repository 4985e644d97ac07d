#pragma once

#include <juce_core/juce_core.h>

namespace enginetest {

// A new empty folder under the system's temporary folder, removed with its
// contents when the test ends.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const juce::File& folder() const { return root; }
    juce::File file(const juce::String& relativePath) const { return root.getChildFile(relativePath); }

private:
    juce::File root;
};

// Writes text as the whole content of file (creating its folder).
void writeText(const juce::File& file, const juce::String& text);

}  // namespace enginetest
