#include "engine/settings.h"

namespace {

// Calls visit with a pointer to each field the settings file keeps.
template <typename Visit>
void forEachSavedField(Visit visit)
{
    visit(&BRSettings::lastDir);
    visit(&BRSettings::lastPathList);
    visit(&BRSettings::dropDownList);
    visit(&BRSettings::inputs);
    visit(&BRSettings::outputs);
    visit(&BRSettings::irSize);
    visit(&BRSettings::fftSize);
    visit(&BRSettings::zeroLatency);
    visit(&BRSettings::workingMode);
}

}  // namespace

BRSettings mergeSettingsChanges(const BRSettings& onDisk, const BRSettings& asRead, const BRSettings& current)
{
    BRSettings merged = onDisk;
    forEachSavedField([&](auto field) {
        if (current.*field != asRead.*field)
            merged.*field = current.*field;
    });
    return merged;
}

bool settingsChanged(const BRSettings& asRead, const BRSettings& current)
{
    bool changed = false;
    forEachSavedField([&](auto field) { changed = changed || current.*field != asRead.*field; });
    return changed;
}
