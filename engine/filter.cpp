#include "engine/filter.h"

#include <new>

#include "primitives/dsp.h"

namespace {
constexpr double kWetGainMinDb = -90.0;
constexpr double kWetGainMaxDb = 90.0;

}  // namespace

BRFilter::BRFilter(const juce::File& moduleFile, const BRChannelCountQuestion& askChannelCounts)
    : wetGain("WetGain"), pluginFile(moduleFile)
{
    loadSettingsFile();

    const BRChannelCounts counts = askChannelCounts(settings);
    inputs = counts.inputs;
    outputs = counts.outputs;
    setPlayConfigDetails(inputs, outputs, 0.0, 0);

    irSize = settings.irSize;
    fftSize = settings.fftSize;
    // The settings hold a mode's number: loadSettings refuses any other.
    workingMode = workingModeOf(settings.workingMode).value_or(BRWorkingMode::irMono);

    wetGain.setDbRange(kWetGainMinDb, kWetGainMaxDb);
    wetGain.setDb(0.0);

    createMatrix();

    // Every processor sets the class again, before it or its editor creates an FFT.
    dspInitCpuDispatch();
}

BRFilter::~BRFilter() { saveSettingsFile(); }

const juce::String BRFilter::getName() const { return "Brondil"; }

double BRFilter::getTailLengthSeconds() const { return 0.0; }

const juce::String BRFilter::getInputChannelName(int channelIndex) const { return juce::String(channelIndex + 1); }

const juce::String BRFilter::getOutputChannelName(int channelIndex) const { return juce::String(channelIndex + 1); }

bool BRFilter::isInputChannelStereoPair(int) const { return false; }

bool BRFilter::isOutputChannelStereoPair(int) const { return false; }

bool BRFilter::acceptsMidi() const { return false; }

bool BRFilter::producesMidi() const { return false; }

// The host offers an editor window exactly when createEditor gives an editor.
bool BRFilter::hasEditor() const { return static_cast<bool>(editorFactory); }

juce::AudioProcessorEditor* BRFilter::createEditor()
{
    if (!editorFactory)
        return nullptr;
    try {
        return editorFactory(*this);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int BRFilter::getNumPrograms() { return 0; }

int BRFilter::getCurrentProgram() { return 0; }

void BRFilter::setCurrentProgram(int) {}

const juce::String BRFilter::getProgramName(int) { return {}; }

void BRFilter::changeProgramName(int, const juce::String&) {}
