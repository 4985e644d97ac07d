#include "host/block_channels.h"

#include <algorithm>
#include <new>

namespace {

void copyOrSilence(float* destination, const float* source, int frames)
{
    if (source != nullptr)
        std::copy_n(source, frames, destination);
    else
        std::fill_n(destination, frames, 0.0f);
}

}  // namespace

bool BlockChannels::prepare(int inputs, int outputs, int maxFrames)
{
    release();
    const int channels = std::max(inputs, outputs);
    try {
        processorBuffer.setSize(channels, maxFrames);
        privateChannels.resize(static_cast<std::size_t>(channels));
        table.resize(static_cast<std::size_t>(channels));
    } catch (const std::bad_alloc&) {
        release();
        return false;
    }
    processorBuffer.clear();
    for (int c = 0; c < channels; ++c)
        privateChannels[static_cast<std::size_t>(c)] = processorBuffer.getWritePointer(c);
    inputCount = inputs;
    outputCount = outputs;
    frameCapacity = maxFrames;
    return true;
}

void BlockChannels::release()
{
    processorBuffer = juce::AudioBuffer<float>();
    privateChannels = {};
    table = {};
    inputCount = 0;
    outputCount = 0;
    frameCapacity = 0;
}

bool BlockChannels::hostBuffersUsable(const float* const* inputs, const float* const* outputs) const
{
    for (int i = 0; i < inputCount; ++i)
        if (inputs[i] == nullptr)
            return false;
    for (int o = 0; o < outputCount; ++o) {
        if (outputs[o] == nullptr)
            return false;
        for (int p = 0; p < o; ++p)
            if (outputs[p] == outputs[o])
                return false;
        for (int i = 0; i < inputCount; ++i)
            if (i != o && inputs[i] == outputs[o])
                return false;
    }
    return true;
}

juce::AudioBuffer<float>& BlockChannels::layOut(float* const* inputs, float* const* outputs, int offset, int frames,
                                                bool inPlace)
{
    const int channels = static_cast<int>(table.size());
    // The buffer owns room for frameCapacity frames, so setting a size within
    // it never allocates (it may re-lay or clear its own memory, which is why
    // this comes before the private buffers are filled).
    processorBuffer.setSize(channels, frames, false, false, true);

    for (int c = 0; c < channels; ++c) {
        float* channel = nullptr;
        if (inPlace && c < outputCount) {
            channel = outputs[c] + offset;
            if (c < inputCount && inputs[c] != outputs[c])
                std::copy_n(inputs[c] + offset, frames, channel);
        } else {
            channel = privateChannels[static_cast<std::size_t>(c)];
            if (c < inputCount)
                copyOrSilence(channel, inputs[c] != nullptr ? inputs[c] + offset : nullptr, frames);
        }
        table[static_cast<std::size_t>(c)] = channel;
    }

    // Point the buffer's own channel list at this block's channels: the
    // toolkit's re-pointing call allocates a new list from 32 channels on.
    float** channelList = const_cast<float**>(processorBuffer.getArrayOfWritePointers());
    std::copy(table.begin(), table.end(), channelList);
    return processorBuffer;
}

void BlockChannels::deliver(float* const* outputs, int offset, int frames, bool inPlace)
{
    if (inPlace)
        return;
    for (int o = outputCount - 1; o >= 0; --o)
        if (outputs[o] != nullptr)
            std::copy_n(privateChannels[static_cast<std::size_t>(o)], frames, outputs[o] + offset);
}
