#include "pack/pack_file_name.h"

juce::File packFileWithExtension(const juce::File& chosen, BRPackFormat format)
{
    if (chosen.hasFileExtension("wav;aiff;aif"))
        return chosen;
    return chosen.getSiblingFile(chosen.getFileName() + (format == BRPackFormat::wav ? ".WAV" : ".AIFF"));
}
