#include <atomic>

#include "engine/filter.h"

namespace {

juce::String readOnlySettingsMessage(const juce::File& file)
{
    return "The settings file " + file.getFullPathName() +
           " is read-only: the settings changed in this session are not saved.";
}

}  // namespace

juce::File BRFilter::settingsFile() const { return settingsFileFor(pluginFile); }

void BRFilter::loadSettingsFile()
{
    keepSettingsFile = !loadSettings(settings, settingsFile());
    settingsAsRead = settings;
}

void BRFilter::saveSettingsFile()
{
    if (keepSettingsFile)
        return;
    // Other instances may have saved since this one read the file: what they
    // changed stays unless this one changed it too.
    const juce::File file = settingsFile();
    BRSettings onDisk = settingsAsRead;
    if (!loadSettings(onDisk, file))
        return;
    const BRFileReplacement written = saveSettings(mergeSettingsChanges(onDisk, settingsAsRead, settings), file);
    // One warning per process: every instance closing would otherwise repeat it.
    static std::atomic<bool> readOnlyWarned{false};
    if (written == BRFileReplacement::readOnly && settingsChanged(settingsAsRead, settings) && showWarning &&
        !readOnlyWarned.exchange(true))
        showWarning("Brondil", readOnlySettingsMessage(file));
}

void BRFilter::setLastPath(const juce::String& path)
{
    // StringArray::set appends when the index lies at or past the end.
    settings.lastPathList.set(workingModeNumber(workingMode), path);
}

juce::String BRFilter::getLastPath() const { return settings.lastPathList[workingModeNumber(workingMode)]; }
