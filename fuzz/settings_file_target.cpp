#include "fuzz/fuzz_targets.h"

#include "engine/settings.h"
#include "engine/xml_screen.h"
#include "fuzz/fuzz_scratch.h"

int fuzzSettingsFile(const std::uint8_t* data, std::size_t size)
{
    const juce::File read = writeScratchFile("fuzzed-settings.xml",
                                             std::string(reinterpret_cast<const char*>(data), size));
    BRSettings settings;
    loadSettings(settings, read);

    const juce::File written = fuzzScratchFolder().getChildFile("written-settings.xml");
    if (saveSettings(settings, written) != BRFileReplacement::replaced || parseScreenedFile(written) == nullptr)
        brokenPromise("the settings the processor writes pass the screen");
    BRSettings reread;
    loadSettings(reread, written);
    if (reread.lastDir != settings.lastDir || reread.lastPathList != settings.lastPathList ||
        reread.dropDownList != settings.dropDownList)
        brokenPromise("the settings the processor writes read back as they were");
    return 0;
}
