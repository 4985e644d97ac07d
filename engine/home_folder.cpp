#include "engine/home_folder.h"

#include "engine/utf8_system_names.h"

juce::File userHomeFolder()
{
    if (environmentValueIsNotUtf8("HOME"))
        return {};
    return juce::File::getSpecialLocation(juce::File::userHomeDirectory);
}

juce::File userDocumentsFolder()
{
    return userHomeFolder() == juce::File() ? juce::File()
                                            : juce::File::getSpecialLocation(juce::File::userDocumentsDirectory);
}
