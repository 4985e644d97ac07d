#include "engine/settings.h"

namespace {

// Calls visit with a pointer to each number the settings file keeps.
template <typename Visit>
void forEachSavedNumber(Visit visit)
{
    visit(&BRSettings::inputs);
    visit(&BRSettings::outputs);
    visit(&BRSettings::irSize);
    visit(&BRSettings::fftSize);
    visit(&BRSettings::zeroLatency);
    visit(&BRSettings::workingMode);
}

// Slot by slot: a slot this instance changed to a path the file can hold
// wins; every other slot keeps the file's.
juce::StringArray mergedPerModeList(const juce::StringArray& onDisk, const juce::StringArray& asRead,
                                    const juce::StringArray& current)
{
    juce::StringArray merged = onDisk;
    for (int slot = 0; slot < std::max(asRead.size(), current.size()); ++slot) {
        // Past its end a list's slot is empty.
        if (current[slot] == asRead[slot] || !isStorablePath(current[slot]))
            continue;
        while (merged.size() <= slot)
            merged.add({});
        merged.set(slot, current[slot]);
    }
    while (!merged.isEmpty() && merged[merged.size() - 1].isEmpty())
        merged.remove(merged.size() - 1);
    return merged;
}

// How many entries at the front of current this instance put there: current
// less them keeps asRead's order (entries chosen again move to the front).
int entriesPutInFront(const juce::StringArray& asRead, const juce::StringArray& current)
{
    int front = current.size();
    int unmatched = asRead.size();
    while (front > 0) {
        int at = unmatched - 1;
        while (at >= 0 && asRead[at] != current[front - 1])
            --at;
        if (at < 0)
            break;
        unmatched = at;
        --front;
    }
    return front;
}

// This instance's new and renewed entries first, then the file's, less those
// this instance removed; distinct, at most kMaxPathListEntries.
juce::StringArray mergedRecentList(const juce::StringArray& onDisk, const juce::StringArray& asRead,
                                   const juce::StringArray& current)
{
    juce::StringArray merged;
    const int front = entriesPutInFront(asRead, current);
    for (int k = 0; k < front; ++k)
        if (isStorablePath(current[k]))
            merged.addIfNotAlreadyThere(current[k]);
    for (const juce::String& path : onDisk)
        if (current.contains(path) || !asRead.contains(path))
            merged.addIfNotAlreadyThere(path);
    merged.removeRange(kMaxPathListEntries, merged.size());
    return merged;
}

}  // namespace

BRSettings mergeSettingsChanges(const BRSettings& onDisk, const BRSettings& asRead, const BRSettings& current)
{
    BRSettings merged = onDisk;
    forEachSavedNumber([&](auto field) {
        if (current.*field != asRead.*field)
            merged.*field = current.*field;
    });
    if (current.lastDir != asRead.lastDir && isStorablePath(current.lastDir.getFullPathName()))
        merged.lastDir = current.lastDir;
    merged.lastPathList = mergedPerModeList(onDisk.lastPathList, asRead.lastPathList, current.lastPathList);
    if (current.dropDownList != asRead.dropDownList)
        merged.dropDownList = mergedRecentList(onDisk.dropDownList, asRead.dropDownList, current.dropDownList);
    return merged;
}

bool settingsChanged(const BRSettings& asRead, const BRSettings& current)
{
    bool changed = current.lastDir != asRead.lastDir || current.lastPathList != asRead.lastPathList ||
                   current.dropDownList != asRead.dropDownList;
    forEachSavedNumber([&](auto field) { changed = changed || current.*field != asRead.*field; });
    return changed;
}
