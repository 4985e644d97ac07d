#include <atomic>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include "engine/filter.h"
#include "engine/settings_lock.h"

namespace {

juce::String readOnlySettingsMessage(const juce::File& file)
{
    return "The settings file " + file.getFullPathName() +
           " is read-only: the settings changed in this session are not saved.";
}

juce::String unwritableSettingsMessage(const juce::File& file, const juce::String& why)
{
    return "The settings file " + file.getFullPathName() + " cannot be written: " + why +
           "\nThe settings changed in this session are not saved.";
}

// Why something at file was refused when it was read, and is kept as it is.
juce::String whyKeptAsItIs(const juce::File& file)
{
    struct stat status {};
    if (::stat(file.getFullPathName().toRawUTF8(), &status) != 0)
        return juce::String::fromUTF8(std::strerror(errno));
    if (S_ISDIR(status.st_mode))
        return juce::String::fromUTF8(std::strerror(EISDIR));
    if (!S_ISREG(status.st_mode))
        return "It is not a regular file.";
    return "It is not a settings document this plug-in reads, and it stays as it is.";
}

// One warning per process: every instance closing would otherwise repeat it.
void warnOncePerProcess(const BRWarningSink& showWarning, const juce::String& message)
{
    static std::atomic<bool> warned{false};
    if (showWarning && !warned.exchange(true))
        showWarning("Brondil", message);
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
    // An instance that changed nothing leaves the file as it is, byte for byte.
    if (!settingsChanged(settingsAsRead, settings))
        return;
    const juce::File file = settingsFile();
    if (keepSettingsFile) {
        warnOncePerProcess(showWarning, unwritableSettingsMessage(file, whyKeptAsItIs(file)));
        return;
    }
    // Other instances, in this process or others, may have saved since this one
    // read the file: what they changed stays unless this one changed it too.
    // The lock keeps their re-reads and writes from interleaving with this one's.
    file.getParentDirectory().createDirectory();
    const BRSettingsFileLock lock(file);
    BRSettings onDisk = settingsAsRead;
    if (!loadSettings(onDisk, file)) {
        warnOncePerProcess(showWarning, unwritableSettingsMessage(file, whyKeptAsItIs(file)));
        return;
    }
    juce::String why;
    const BRFileReplacement written = saveSettings(mergeSettingsChanges(onDisk, settingsAsRead, settings), file, &why);
    if (written == BRFileReplacement::readOnly)
        warnOncePerProcess(showWarning, readOnlySettingsMessage(file));
    else if (written == BRFileReplacement::failed)
        warnOncePerProcess(showWarning, unwritableSettingsMessage(file, why));
}

void BRFilter::setLastPath(const juce::String& path)
{
    // One slot per working mode: empty slots fill the modes before this one,
    // so that each mode keeps its own folder.
    const int mode = workingModeNumber(workingMode);
    while (settings.lastPathList.size() < mode)
        settings.lastPathList.add({});
    settings.lastPathList.set(mode, path);
}

juce::String BRFilter::getLastPath() const { return settings.lastPathList[workingModeNumber(workingMode)]; }
