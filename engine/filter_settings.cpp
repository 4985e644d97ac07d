#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>

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

// Said of a save that replaced the file: how far it may be undone. A process
// that kept the flock past the wait keeps to no other lock, and only a rename
// that checks keeps its own late rename from undoing this save.
juce::String unlockedSettingsMessage(const juce::File& file, const BRSettingsFileLock& lock, bool renameChecked)
{
    const BRSettingsFileLock::Reach reach =
        lock.outwaitedFlockHolder() && !renameChecked ? BRSettingsFileLock::Reach::none : lock.reach();
    const juce::String saved = reach == BRSettingsFileLock::Reach::everyProcess
                                   ? "It is saved all the same, and only over the file its changes were merged into."
                               : reach == BRSettingsFileLock::Reach::thisMachine
                                   ? "It is saved, but a save on another computer at the same moment may undo it."
                                   : "It is saved, but another save at the same moment may undo it.";
    return "The settings file " + file.getFullPathName() + " cannot be locked: " + lock.whyNotLocked() + "\n" + saved;
}

// Saves that find the file changed under them merge again: this many times,
// however busy the other processes are.
constexpr int kMostMerges = 50;

// The warnings this process has given, by their text: each reason is told
// once, however many instances close for it. A save that goes through
// forgets the losses told, so that a loss after it is told again; one that
// also had its lock forgets the lock's warnings too.
class GivenWarnings {
public:
    enum class Kind {
        loss,
        unlocked
    };

    void tell(Kind kind, const BRWarningSink& showWarning, const juce::String& message)
    {
        if (!showWarning)
            return;
        {
            const std::lock_guard<std::mutex> hold(lock);
            if (!(kind == Kind::loss ? losses : unlocked).insert(message).second)
                return;
        }
        showWarning("Brondil", message);
    }

    void forgetAfterSave(bool locked)
    {
        const std::lock_guard<std::mutex> hold(lock);
        losses.clear();
        if (locked)
            unlocked.clear();
    }

private:
    std::mutex lock;
    std::set<juce::String> losses;
    std::set<juce::String> unlocked;
};

GivenWarnings givenWarnings;

void tellLoss(const BRWarningSink& showWarning, const juce::String& message)
{
    givenWarnings.tell(GivenWarnings::Kind::loss, showWarning, message);
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
        tellLoss(showWarning, unnamedSettingsFileMessage());
        return;
    }
    if (keepSettingsFile) {
        tellLoss(showWarning, unwritableSettingsMessage(file, whyKeptAsItIs(file)));
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
            tellLoss(showWarning, unwritableSettingsMessage(file, whyKeptAsItIs(file)));
            return;
        }
        written = saveSettings(mergeSettingsChanges(onDisk, settingsAsRead, settings), file, &why, &onDiskFile);
    }
    // Where the save fails, why it fails is what the user needs to know.
    if (written == BRFileReplacement::replaced || written == BRFileReplacement::replacedByPlainRename) {
        const bool locked = lock.whyNotLocked().isEmpty();
        givenWarnings.forgetAfterSave(locked);
        if (!locked)
            givenWarnings.tell(GivenWarnings::Kind::unlocked, showWarning,
                               unlockedSettingsMessage(file, lock, written == BRFileReplacement::replaced));
    } else if (written == BRFileReplacement::readOnly) {
        tellLoss(showWarning, readOnlySettingsMessage(file));
    } else if (written == BRFileReplacement::changedMeanwhile) {
        tellLoss(showWarning, unwritableSettingsMessage(file, "other processes kept changing it"));
    } else {
        tellLoss(showWarning, unwritableSettingsMessage(file, why));
    }
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
