#pragma once

#include <atomic>
#include <optional>
#include <vector>

#include <juce_audio_processors/juce_audio_processors.h>

// A processor for the adapter's tests: a matrix mixer whose output o is the
// sum over inputs i of mixGain(o, i) × input i, with two parameters, three
// programs and a state it hands out and records, and a probe editor when asked
// for one. It says what it was told.
class ProbeProcessor : public juce::AudioProcessor {
public:
    ProbeProcessor(int inputs, int outputs, bool withEditor = false);
    ~ProbeProcessor() override;

    static float mixGain(int output, int input) { return static_cast<float>(output + 1) + 0.1f * (input + 1); }

    const juce::String getName() const override { return "Probe"; }
    void prepareToPlay(double sampleRate, int samplesPerBlock) override;
    void releaseResources() override { ++releases; }
    // Audio thread: allocates nothing.
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return givesEditor; }

    int getNumParameters() override { return 2; }
    const juce::String getParameterName(int index) override;
    float getParameter(int index) override { return isParameter(index) ? values[index] : 0.0f; }
    const juce::String getParameterText(int index) override;
    void setParameter(int index, float value) override;
    bool isParameterAutomatable(int index) const override { return index == 0; }

    int getNumPrograms() override { return 3; }
    int getCurrentProgram() override { return program; }
    void setCurrentProgram(int index) override { program = index; }
    const juce::String getProgramName(int index) override;
    void changeProgramName(int index, const juce::String& newName) override;

    const juce::String getInputChannelName(int index) const override { return "In " + juce::String(index + 1); }
    const juce::String getOutputChannelName(int index) const override { return "Out " + juce::String(index + 1); }
    bool isInputChannelStereoPair(int index) const override { return index < 2; }
    bool isOutputChannelStereoPair(int) const override { return false; }

    void getStateInformation(juce::MemoryBlock& destData) override;
    void setStateInformation(const void* data, int sizeInBytes) override;

    // What it was told.
    int prepares = 0;
    double preparedRate = 0.0;
    int preparedBlock = 0;
    int releases = 0;
    std::atomic<int> blocks{0};
    int largestBlock = 0;
    bool lastBlockNonRealtime = false;
    int lastBlockChannels = 0;
    std::vector<juce::MemoryBlock> statesReceived;
    std::optional<juce::AudioPlayHead::PositionInfo> lastPosition;
    std::vector<int> parameterIndexesSet;
    bool positionAnswered = false;

    // What it does.
    juce::MemoryBlock stateToGive;
    int latencyToReport = 0;
    bool asksPlayHead = false;
    float values[2] = {0.25f, 0.75f};
    int program = 0;
    juce::String programNames[3] = {"First", "Second", "A program name much longer than any host's buffer"};
    juce::String longParameterName = "Wet gain of the probe";

private:
    static bool isParameter(int index) { return index == 0 || index == 1; }

    std::vector<float> inputCopy;  // inputs × preparedBlock, made by prepareToPlay
    int inputCount;
    int outputCount;
    bool givesEditor;
};
