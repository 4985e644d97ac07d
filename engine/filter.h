#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "engine/channel_counts.h"
#include "engine/gain_control.h"
#include "engine/settings.h"

// The audio processor: one per plug-in instance, built and destroyed on the
// host's GUI thread (the message thread). The host adapter drives it through the
// AudioProcessor slots; the editor reads its fields and writes several of them
// directly on the message thread.
class BRFilter : public juce::AudioProcessor, public juce::ChangeBroadcaster {
public:
    // Reads the settings file beside this module, then asks for the channel
    // counts in the dialog (message thread; runs a modal loop when a display exists).
    BRFilter();
    // As above, with pluginFile locating the settings file and askChannelCounts
    // answering in place of the dialog.
    BRFilter(const juce::File& pluginFile, const BRChannelCountQuestion& askChannelCounts);
    // Writes the settings file before anything is released. Message thread.
    ~BRFilter() override;

    BRFilter(const BRFilter&) = delete;
    BRFilter& operator=(const BRFilter&) = delete;

    const juce::String getName() const override;
    void prepareToPlay(double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    // Audio thread, under the callback lock; never allocates or blocks.
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    double getTailLengthSeconds() const override;

    // Channel index + 1 in decimal.
    const juce::String getInputChannelName(int channelIndex) const override;
    const juce::String getOutputChannelName(int channelIndex) const override;
    bool isInputChannelStereoPair(int index) const override;
    bool isOutputChannelStereoPair(int index) const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    // The single parameter, 0 "WetGain", seen by the host as 0..1 over -90..+90 dB.
    // Any thread the host uses; setParameter sends a change message.
    int getNumParameters() override;
    const juce::String getParameterName(int index) override;
    float getParameter(int index) override;
    // The decibel value with two decimals.
    const juce::String getParameterText(int index) override;
    // Every index sets the wet gain.
    void setParameter(int index, float value) override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram(int index) override;
    const juce::String getProgramName(int index) override;
    void changeProgramName(int index, const juce::String& newName) override;

    void getStateInformation(juce::MemoryBlock& destData) override;
    void setStateInformation(const void* data, int sizeInBytes) override;

    // The settings file: where it lies, and its reading and writing. Message thread.
    juce::File settingsFile() const;
    void loadSettingsFile();
    void saveSettingsFile();
    // The settings' last path of the current working mode. Message thread.
    void setLastPath(const juce::String& path);
    juce::String getLastPath() const;

    CDGainControl wetGain;
    int inputs = 0;
    int outputs = 0;
    int irSize = 0;       // samples per cell's IR
    int fftSize = 0;      // N
    int hopSize = 0;      // N / 2; 0 until the first prepareToPlay
    int workingMode = 0;  // 0 IR mono, 1 IR multi, 2 IR 1-To-1
    juce::File pluginFile;
    BRSettings settings;
    int fftOrder = 0;
    int fftWorkSize = 0;
    int partitionCount = 0;  // P; 0: the next partitioning computes it
    int historySlot = 0;
    int blockPos = 0;
    int blocksPerFrame = 0;
    int blockCounter = 0;
    int blocksPerHop = 0;
    int loadedCells = 0;
    int selectedOutput = 0;
    int selectedInput = 0;
};

// A new processor for the host adapter, which owns it; null when its memory
// cannot be had. Message thread.
juce::AudioProcessor* createPluginFilter();
