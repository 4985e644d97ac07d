#include <algorithm>

#include "engine/filter.h"

namespace {

int nextPowerOfTwo(int value)
{
    int power = 2;
    while (power < value && power < BRPartitionedConvolver::kMaxFftSize)
        power *= 2;
    return power;
}

}  // namespace

bool BRFilter::createFftSetUp(int samplesPerBlock)
{
    // Block sizes that do not divide the hop (zero latency with such a block)
    // get the smallest power of two that holds two blocks.
    const int block = std::clamp(samplesPerBlock, 1, BRPartitionedConvolver::kMaxBlockSize);
    const int wanted = settings.zeroLatency != 0 ? 2 * block : std::max(settings.fftSize, 2 * block);
    const int n = nextPowerOfTwo(wanted);
    if (!convolver.prepare(inputs, outputs, n, block))
        return false;
    fftSize = n;
    hopSize = n / 2;
    irSize = std::max(irSize, n);
    partitionCount = 0;
    return true;
}

void BRFilter::partitionWaitingCells()
{
    bool anyCell = false;
    for (auto& row : cells)
        for (auto& cell : row)
            if (cell.holdsSamples()) {
                // A cell that cannot be partitioned stays out of the count.
                if (!cell.partitionImpulse(convolver, irSize))
                    cell.freePartitions();
                anyCell = true;
            }
    if (anyCell)
        ensureHistories();
    recountLoadedCells();
}

void BRFilter::prepareToPlay(double sampleRate, int samplesPerBlock)
{
    warnOfRestoredIrRate(sampleRate);
    // The first set-up fixes N, H and B for the processor's life; loads and
    // restores that came before it are partitioned now. The engine keeps the
    // channel counts its matrix was made for.
    if (!convolver.isPrepared() && createFftSetUp(samplesPerBlock))
        partitionWaitingCells();
    editorNeedsRefresh = true;
    sendChangeMessage();
}

void BRFilter::releaseResources() {}

void BRFilter::resetConvolution() { convolver.reset(); }

void BRFilter::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const int samples = buffer.getNumSamples();
    const int channels = buffer.getNumChannels();
    if (samples < 1)
        return;
    // An incomplete matrix sounds silence and freezes the convolution, so that
    // processing resumes exactly where it stopped.
    if (isSuspended() || !convolver.isPrepared() || !allCellsLoaded() || partitionCount < 1) {
        for (int o = 0; o < std::min(outputs, channels); ++o)
            buffer.clear(o, 0, samples);
        return;
    }
    convolver.process(buffer.getArrayOfWritePointers(), channels, samples, static_cast<float>(wetGain.getRawValue()));
}
