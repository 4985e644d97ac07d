#include "engine/dialog_start_folder.h"

#include "engine/home_folder.h"

juce::File dialogStartFolder()
{
    for (const juce::File& folder : {juce::File::getCurrentWorkingDirectory(), userHomeFolder()})
        if (folder != juce::File())
            return folder;
    return juce::File::getSpecialLocation(juce::File::tempDirectory);
}
