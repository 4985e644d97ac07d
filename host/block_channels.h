#pragma once

#include <vector>

#include <juce_audio_basics/juce_audio_basics.h>

// The processor works in place on one buffer whose channel c holds input c on
// entry and output c on return. BlockChannels lays a host block out that way:
// in the host's output buffers where the host's pointers allow it, otherwise
// in private buffers whose outputs it copies back afterwards. Extra inputs
// (beyond the outputs) always go through private buffers, so the processor
// never writes into memory the host gave as input.
class BlockChannels {
public:
    // Private buffers of maxFrames floats for max(inputs, outputs) channels and
    // the processor's buffer. GUI thread; allocates. False when memory runs out,
    // which leaves it released. inputs, outputs and maxFrames are at least 1.
    bool prepare(int inputs, int outputs, int maxFrames);
    // Frees everything. GUI thread.
    void release();

    bool isPrepared() const { return !privateChannels.empty(); }
    int maxFrames() const { return frameCapacity; }

    // True when the host's pointers let the processor work in the host's
    // output buffers: no null channel, no two outputs on one buffer, and no
    // output on the buffer of an input other than its own. Audio thread; no
    // allocation. The arrays hold the counts given to prepare.
    bool hostBuffersUsable(const float* const* inputs, const float* const* outputs) const;

    // The processor's buffer for `frames` frames (1 .. maxFrames) of the host's
    // channels from `offset` on, with every input copied into place. inPlace is
    // what hostBuffersUsable answered for these pointers. Audio thread; no
    // allocation; the buffer is valid until the next call.
    juce::AudioBuffer<float>& layOut(float* const* inputs, float* const* outputs, int offset, int frames, bool inPlace);

    // Copies the outputs that went through private buffers to the host (last
    // output first, so where two outputs share a buffer the earlier one's
    // result stays). Nothing to do in place. Audio thread; no allocation.
    void deliver(float* const* outputs, int offset, int frames, bool inPlace);

private:
    int inputCount = 0;
    int outputCount = 0;
    int frameCapacity = 0;
    std::vector<float*> privateChannels;  // max(inputs, outputs) buffers of frameCapacity floats
    std::vector<float*> table;            // what the processor's buffer points at, per block
    // Owns the private buffers' memory; per block its channel list is pointed
    // at `table` (see layOut for why no allocation happens there).
    juce::AudioBuffer<float> processorBuffer;
};
