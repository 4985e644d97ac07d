#include <atomic>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include "engine/filter.h"
#include "engine/settings_lock.h"
#include "engine/xml_screen.h"
#include "engine/utf8_text.h"

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

juce::String unnamedSettingsFileMessage()
{
    return "The settings file has no place: the plug-in's folder cannot be used, and the home folder's name is not "
           "UTF-8 text (or no home folder is set). Setting XDG_CONFIG_HOME to a folder gives it one."
           "\nThe settings changed in this session are not saved.";
}

// Why something at file was refused when it was read, and is kept as it is.
juce::String whyKeptAsItIs(const juce::File& file)
{
    struct stat status {};
    if (::stat(file.getFullPathName().toRawUTF8(), &status) != 0)
        return systemErrorText(errno);
    if (S_ISDIR(status.st_mode))
        return systemErrorText(EISDIR);
    if (!S_ISREG(status.st_mode))
        return "It is not a regular file.";
    return "It is not a settings document this plug-in reads, and it stays as it is.";
}

// Said of a save that replaced the file: how far it may be undone.
juce::String unlockedSettingsMessage(const juce::File& file, const BRSettingsFileLock& lock)
{
    const juce::String saved = lock.reach() == BRSettingsFileLock::Reach::everyProcess
                                   ? "It is saved all the same, and only over the file its changes were merged into."
                               : lock.reach() == BRSettingsFileLock::Reach::thisMachine
                                   ? "It is saved, but a save on another computer at the same moment may undo it."
                                   : "It is saved, but another save at the same moment may undo it.";
    return "The settings file " + file.getFullPathName() + " cannot be locked: " + lock.whyNotLocked() + "\n" + saved;
}

// Saves that find the file changed under them merge again: this many times,
// however busy the other processes are.
constexpr int kMostMerges = 50;

// One warning of each kind per process: every instance closing would otherwise repeat it.
std::atomic<bool> warnedUnsaved{false};
std::atomic<bool> warnedUnlocked{false};

void warnOncePerProcess(std::atomic<bool>& warned, const BRWarningSink& showWarning, const juce::String& message)
{
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
    if (file == juce::File()) {
        warnOncePerProcess(warnedUnsaved, showWarning, unnamedSettingsFileMessage());
        return;
    }
    if (keepSettingsFile) {
        warnOncePerProcess(warnedUnsaved, showWarning, unwritableSettingsMessage(file, whyKeptAsItIs(file)));
        return;
    }
    // Other instances, in this process or others, may have saved since this one
    // read the file: what they changed stays unless this one changed it too.
    // The lock keeps their re-reads and writes from interleaving with this one's;
    // the checks before and in the rename cover the saves it did not hold back.
    file.getParentDirectory().createDirectory();
    const BRSettingsFileLock lock(file, settingsLockWait);
    juce::String why;
    BRFileReplacement written = BRFileReplacement::changedMeanwhile;
    for (int merge = 0; merge < kMostMerges && written == BRFileReplacement::changedMeanwhile; ++merge) {
        const BRFileSnapshot onDiskFile(file, kMaxDocumentBytes);
        BRSettings onDisk = settingsAsRead;
        // A list the file holds empty is empty, not unread: another instance emptied it.
        onDisk.lastPathList.clear();
        onDisk.dropDownList.clear();
        if (!loadSettings(onDisk, onDiskFile)) {
            warnOncePerProcess(warnedUnsaved, showWarning, unwritableSettingsMessage(file, whyKeptAsItIs(file)));
            return;
        }
        written = saveSettings(mergeSettingsChanges(onDisk, settingsAsRead, settings), file, &why, &onDiskFile);
    }
    // Where the save fails, why it fails is what the user needs to know.
    if (written == BRFileReplacement::replaced && lock.whyNotLocked().isNotEmpty())
        warnOncePerProcess(warnedUnlocked, showWarning, unlockedSettingsMessage(file, lock));
    else if (written == BRFileReplacement::readOnly)
        warnOncePerProcess(warnedUnsaved, showWarning, readOnlySettingsMessage(file));
    else if (written == BRFileReplacement::changedMeanwhile)
        warnOncePerProcess(warnedUnsaved, showWarning,
                           unwritableSettingsMessage(file, "other processes kept changing it"));
    else if (written == BRFileReplacement::failed)
        warnOncePerProcess(warnedUnsaved, showWarning, unwritableSettingsMessage(file, why));
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
