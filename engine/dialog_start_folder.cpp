#include "engine/working_folder.h"

juce::File workingOrHomeFolder()
{
    const juce::File working = juce::File::getCurrentWorkingDirectory();
    return working != juce::File() ? working : juce::File::getSpecialLocation(juce::File::userHomeDirectory);
}
