#include "engine/filter.h"

juce::File BRFilter::settingsFile() const { return settingsFileFor(pluginFile); }

void BRFilter::loadSettingsFile() { keepSettingsFile = !loadSettings(settings, settingsFile()); }

void BRFilter::saveSettingsFile()
{
    if (!keepSettingsFile)
        saveSettings(settings, settingsFile());
}

void BRFilter::setLastPath(const juce::String& path)
{
    // StringArray::set appends when the index lies at or past the end.
    settings.lastPathList.set(workingModeNumber(workingMode), path);
}

juce::String BRFilter::getLastPath() const { return settings.lastPathList[workingModeNumber(workingMode)]; }
