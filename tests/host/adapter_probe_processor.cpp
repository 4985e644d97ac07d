#include "tests/host/adapter_probe_processor.h"

#include <algorithm>

#include "tests/host/adapter_probe_editor.h"

ProbeProcessor::ProbeProcessor(int inputs, int outputs, bool withEditor)
    : inputCount(inputs), outputCount(outputs), givesEditor(withEditor)
{
    setPlayConfigDetails(inputs, outputs, 0.0, 0);
}

ProbeProcessor::~ProbeProcessor() = default;

void ProbeProcessor::prepareToPlay(double sampleRate, int samplesPerBlock)
{
    ++prepares;
    preparedRate = sampleRate;
    preparedBlock = samplesPerBlock;
    inputCopy.assign(static_cast<std::size_t>(inputCount) * static_cast<std::size_t>(samplesPerBlock), 0.0f);
    setLatencySamples(latencyToReport);
}

void ProbeProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    ++blocks;
    const int frames = buffer.getNumSamples();
    largestBlock = std::max(largestBlock, frames);
    lastBlockNonRealtime = isNonRealtime();
    lastBlockChannels = buffer.getNumChannels();
    if (asksPlayHead && getPlayHead() != nullptr) {
        lastPosition.reset();
        const auto position = getPlayHead()->getPosition();
        positionAnswered = position.hasValue();
        if (position.hasValue())
            lastPosition = *position;
    }
    if (frames > preparedBlock)
        return;  // the adapter broke its promise; the test sees the output untouched
    for (int i = 0; i < inputCount; ++i)
        std::copy_n(buffer.getReadPointer(i), frames, inputCopy.data() + static_cast<std::size_t>(i) * preparedBlock);
    for (int o = 0; o < outputCount; ++o) {
        float* out = buffer.getWritePointer(o);
        std::fill_n(out, frames, 0.0f);
        for (int i = 0; i < inputCount; ++i) {
            const float* in = inputCopy.data() + static_cast<std::size_t>(i) * preparedBlock;
            for (int t = 0; t < frames; ++t)
                out[t] += mixGain(o, i) * in[t];
        }
    }
}

juce::AudioProcessorEditor* ProbeProcessor::createEditor() { return givesEditor ? new ProbeEditor(*this) : nullptr; }

const juce::String ProbeProcessor::getParameterName(int index)
{
    return index == 0 ? longParameterName : juce::String("Mix");
}

const juce::String ProbeProcessor::getParameterText(int index)
{
    return isParameter(index) ? juce::String(values[index], 3) : juce::String("none");
}

void ProbeProcessor::setParameter(int index, float value)
{
    parameterIndexesSet.push_back(index);
    if (isParameter(index))
        values[index] = value;
}

const juce::String ProbeProcessor::getProgramName(int index)
{
    return index >= 0 && index < 3 ? programNames[index] : juce::String();
}

void ProbeProcessor::changeProgramName(int index, const juce::String& newName)
{
    if (index >= 0 && index < 3)
        programNames[index] = newName;
}

void ProbeProcessor::getStateInformation(juce::MemoryBlock& destData)
{
    // The toolkit's copy of an empty block passes a null pointer to memcpy.
    destData.reset();
    destData.append(stateToGive.getData(), stateToGive.getSize());
}

void ProbeProcessor::setStateInformation(const void* data, int sizeInBytes)
{
    statesReceived.emplace_back(data, static_cast<std::size_t>(sizeInBytes));
}
