#include "pack/pack_file_name.h"

namespace {

// The file called name beside file, name taken literally: JUCE's sibling and
// child files read a name starting with "~" as a user's home folder.
juce::File siblingNamed(const juce::File& file, const juce::String& name)
{
    return juce::File(file.getParentDirectory().getFullPathName().trimCharactersAtEnd("/") + "/" + name);
}

}  // namespace

juce::File packFileWithExtension(const juce::File& chosen, BRPackFormat format)
{
    const bool wav = format == BRPackFormat::wav;
    if (chosen.hasFileExtension(wav ? "wav" : "aiff;aif"))
        return chosen;
    const char* extension = wav ? ".WAV" : ".AIFF";
    if (chosen.hasFileExtension("wav;aiff;aif"))
        return siblingNamed(chosen, chosen.getFileNameWithoutExtension() + extension);
    return siblingNamed(chosen, chosen.getFileName() + extension);
}
