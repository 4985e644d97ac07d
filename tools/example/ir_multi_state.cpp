#include "tools/example/ir_multi_state.h"

#include <cstdlib>
#include <string>

#include <sndfile.h>

#include "engine/filter.h"

namespace {

// The channel count of a sound file, or 0 when it cannot be read.
int soundFileChannels(const juce::File& file)
{
    SF_INFO info{};
    SNDFILE* handle = sf_open(file.getFullPathName().toRawUTF8(), SFM_READ, &info);
    if (handle == nullptr)
        return 0;
    sf_close(handle);
    return info.channels;
}

// A new folder in the temporary folder, or an empty File. mkdtemp picks a name
// that no other process, such as another render started at the same moment,
// can pick as well.
juce::File makeScratchFolder()
{
    std::string pattern = juce::File::getSpecialLocation(juce::File::tempDirectory)
                              .getChildFile("brondil-state-XXXXXX")
                              .getFullPathName()
                              .toStdString();
    if (mkdtemp(pattern.data()) == nullptr)
        return {};
    return juce::File(juce::String::fromUTF8(pattern.c_str()));
}

}  // namespace

bool makeIrMultiState(const juce::File& irFile, int inputs, double wetGainDb, juce::MemoryBlock& state,
                      juce::String& error)
{
    if (!isValidChannelCount(inputs)) {
        error = "the number of inputs must lie in 1..32, not " + juce::String(inputs);
        return false;
    }
    const int outputs = soundFileChannels(irFile);
    if (outputs == 0) {
        error = "cannot read the sound file '" + irFile.getFullPathName() + "'";
        return false;
    }
    if (!isValidChannelCount(outputs)) {
        error = "the IR file has " + juce::String(outputs) + " channels; the plug-in takes at most 32 outputs";
        return false;
    }

    // The processor reads and writes its settings beside its plug-in file:
    // here a file in a folder of its own, removed afterwards.
    const juce::File scratch = makeScratchFolder();
    if (scratch == juce::File()) {
        error = "cannot make a scratch folder in " +
                juce::File::getSpecialLocation(juce::File::tempDirectory).getFullPathName();
        return false;
    }
    bool made = false;
    {
        BRFilter filter(scratch.getChildFile("Brondil.so"), [inputs, outputs](const BRSettings&) {
            return BRChannelCounts{inputs, outputs};
        });
        juce::String warning;
        filter.showWarning = [&warning](const juce::String&, const juce::String& message) { warning = message; };
        filter.wetGain.setDb(wetGainDb);
        if (filter.setWorkingMode(BRWorkingMode::irMulti) && filter.loadMultichannelIrFile(irFile.getFullPathName())) {
            filter.getStateInformation(state);
            made = true;
        } else {
            error = "the plug-in refuses '" + irFile.getFullPathName() + "'" +
                    (warning.isEmpty() ? juce::String() : ": " + warning);
        }
    }
    scratch.deleteRecursively();
    return made;
}
