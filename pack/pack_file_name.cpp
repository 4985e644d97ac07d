#include "pack/pack_file_name.h"

juce::File packFileWithExtension(const juce::File& chosen, BRPackFormat format)
{
    const bool wav = format == BRPackFormat::wav;
    if (chosen.hasFileExtension(wav ? "wav" : "aiff;aif"))
        return chosen;
    const char* extension = wav ? ".WAV" : ".AIFF";
    if (chosen.hasFileExtension("wav;aiff;aif"))
        return chosen.withFileExtension(extension);
    return chosen.getSiblingFile(chosen.getFileName() + extension);
}
