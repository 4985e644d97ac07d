#include "engine/dialog_start_folder.h"

#include "engine/home_folder.h"

juce::File dialogStartFolder()
{
    const juce::File working = juce::File::getCurrentWorkingDirectory();
    if (working != juce::File())
        return working;
    const juce::File home = userHomeFolder();
    return home != juce::File() ? home : juce::File::getSpecialLocation(juce::File::tempDirectory);
}
