#include <algorithm>

#include "engine/filter.h"
#include "primitives/dsp.h"

namespace {

// The largest block a host may announce and the largest FFT: beyond them the
// buffers of a 32 × 32 matrix would not fit a computer's memory.
constexpr int kMaxBlockSize = 1 << 16;
constexpr int kMaxFftSize = 1 << 18;

// Floats of a spectrum multiplied and summed at a time: the product stays in the
// first-level cache beside the sum, with room for the two streamed spectra.
constexpr int kProductChunk = 1024;
// The chunk's product starts here in hopSpectrum, on a 16-byte boundary.
constexpr int kProductStart = 4;

int nextPowerOfTwo(int value)
{
    int power = 2;
    while (power < value && power < kMaxFftSize)
        power *= 2;
    return power;
}

int log2Of(int powerOfTwo)
{
    int order = 0;
    while ((1 << order) < powerOfTwo)
        ++order;
    return order;
}

}  // namespace

bool BRFilter::createFftSetUp(int samplesPerBlock)
{
    // Block sizes that do not divide the hop and FFT sizes that are no power of
    // two (zero latency with such a block, a settings file without a size) get
    // the smallest power of two that holds two blocks.
    const int block = std::clamp(samplesPerBlock, 1, kMaxBlockSize);
    const int wanted = settings.zeroLatency != 0 ? 2 * block : std::max(settings.fftSize, 2 * block);
    const int n = nextPowerOfTwo(wanted);
    const int order = log2Of(n);

    dspRealFftSpec* created = nullptr;
    if (dspRealFftCreate(&created, order, dspFftScaleNone, 1) != dspOk || created == nullptr)
        return false;
    BRFftSpecHandle spec(created);
    int workBytes = 0;
    dspRealFftBufferSize(spec.get(), &workBytes);
    BRAlignedFloats work;
    if (workBytes > 0 && !work.allocateZeroed((workBytes + 3) / 4))
        return false;
    BRAlignedFloats frames, sums, results, product;
    if (!frames.allocateZeroed(std::int64_t{inputs} * n) || !sums.allocateZeroed(std::int64_t{outputs} * n) ||
        !results.allocateZeroed(std::int64_t{outputs} * n) ||
        !product.allocateZeroed(kProductStart + std::min(n, kProductChunk)))
        return false;

    fftSpec = std::move(spec);
    fftWork = std::move(work);
    fftWorkSize = workBytes;
    fftOrder = order;
    inputFrames = std::move(frames);
    accumulators = std::move(sums);
    outputBuffer = std::move(results);
    hopSpectrum = std::move(product);
    fftSize = n;
    hopSize = n / 2;
    blockSize = block;
    blocksPerHop = hopSize / block;
    blocksPerFrame = n / block;
    blockCounter = 0;
    blockPos = blocksPerHop;
    hopFill = 0;
    partialValid = 0;
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
                if (!cell.partitionImpulse(fftSize, irSize, fftSpec.get(), fftWork.data()))
                    cell.freePartitions();
                anyCell = true;
            }
    if (anyCell)
        ensureHistories();
    recountLoadedCells();
}

void BRFilter::prepareToPlay(double, int samplesPerBlock)
{
    // The first set-up fixes N, H and B for the processor's life; loads and
    // restores that came before it are partitioned now. The engine keeps the
    // channel counts its matrix was made for.
    if (fftSpec == nullptr && createFftSetUp(samplesPerBlock))
        partitionWaitingCells();
    editorNeedsRefresh = true;
    sendChangeMessage();
}

void BRFilter::releaseResources() {}

void BRFilter::resetConvolution()
{
    if (inputFrames.data() == nullptr || spectrumHistory.data() == nullptr || partitionRing == nullptr)
        return;
    zeroFloats(inputFrames.data(), inputFrames.size());
    zeroFloats(spectrumHistory.data(), spectrumHistory.size());
    initPartitionRing();
    partialValid = 0;
}

void BRFilter::gatherInputs(const juce::AudioBuffer<float>& buffer, int channels, int from, int count)
{
    for (int i = 0; i < inputs; ++i) {
        float* frame = inputFrames.data() + std::int64_t{i} * fftSize + hopSize + hopFill;
        if (i < channels)
            dspCopy(buffer.getReadPointer(i) + from, frame, count);
        else
            dspZero(frame, count);  // an input the host does not hand over is silent
    }
}

void BRFilter::writeOutputs(juce::AudioBuffer<float>& buffer, int channels, int to, int sourceIndex, int count,
                            float gain) const
{
    for (int o = 0; o < channels; ++o) {
        float* destination = buffer.getWritePointer(o) + to;
        dspCopy(outputBuffer.data() + std::int64_t{o} * fftSize + sourceIndex, destination, count);
        dspMulConstInPlace(gain, destination, count);
    }
}

void BRFilter::multiplyAccumulatePartitions()
{
    // The order of the sums (inputs, outputs, history rows from the first on,
    // i.e. slots from the oldest down) fixes the result to the bit; each bin is
    // independent of the others, so a row goes through in chunks.
    const int n = fftSize;
    float* product = hopSpectrum.data() + kProductStart;
    auto accumulate = [&](int input, int output, const BRIrCell& cell) {
        const float* rows = spectrumHistory.data() + std::int64_t{input} * partitionCount * n;
        float* sum = accumulators.data() + std::int64_t{output} * n;
        for (int row = 0; row < partitionCount; ++row) {
            const float* a = rows + std::int64_t{row} * n;
            const float* b = cell.partition(partitionRing[row], n);
            const int first = std::min(n, kProductChunk);
            dspMulSpectra(a, b, product, first);
            dspAddInPlace(product, sum, first);
            // Past the first chunk every bin is a complex pair. An odd length is one
            // real element, then pairs: started one float early, the product's
            // pairs are the chunk's, after a real element the sum leaves out.
            for (int k = first; k < n; k += kProductChunk) {
                const int count = std::min(kProductChunk, n - k);
                dspMulSpectra(a + k - 1, b + k - 1, product - 1, count + 1);
                dspAddInPlace(product, sum + k, count);
            }
        }
    };
    if (workingMode == BRWorkingMode::irOneToOne) {
        for (int o = 0; o < outputs; ++o)
            accumulate(o, o, cells[o][o]);
    } else {
        for (int i = 0; i < inputs; ++i)
            for (int o = 0; o < outputs; ++o)
                accumulate(i, o, cells[o][i]);
    }
}

void BRFilter::computeHop(bool partial)
{
    const int n = fftSize;
    const int h = hopSize;
    void* work = fftWork.data();
    for (int i = 0; i < inputs; ++i) {
        float* frame = inputFrames.data() + std::int64_t{i} * n;
        if (partial && hopFill < h)
            dspZero(frame + h + hopFill, h - hopFill);  // not gathered yet: counts as silence
        const int row = partitionCount - 1 - historySlot;
        float* slot = spectrumHistory.data() + (std::int64_t{i} * partitionCount + row) * n;
        dspRealFftForward(frame, slot, fftSpec.get(), work);
        if (!partial)
            dspCopy(frame + h, frame, h);
    }
    zeroFloats(accumulators.data(), accumulators.size());
    multiplyAccumulatePartitions();
    const float scale = static_cast<float>(1.0 / n);
    for (int o = 0; o < outputs; ++o) {
        float* result = outputBuffer.data() + std::int64_t{o} * n;
        dspRealFftInverse(accumulators.data() + std::int64_t{o} * n, result, fftSpec.get(), work);
        dspMulConstInPlace(scale, result, n);
    }
    if (partial)
        return;
    historySlot = historySlot == 0 ? partitionCount - 1 : historySlot - 1;
    std::rotate(partitionRing.get(), partitionRing.get() + partitionCount - 1, partitionRing.get() + partitionCount);
}

void BRFilter::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const int samples = buffer.getNumSamples();
    const int channels = buffer.getNumChannels();
    const int inChannels = std::min(inputs, channels);
    const int outChannels = std::min(outputs, channels);
    if (samples < 1)
        return;
    // An incomplete matrix sounds silence and freezes the counters, so that
    // processing resumes exactly where it stopped.
    if (isSuspended() || fftSpec == nullptr || !allCellsLoaded() || partitionCount < 1) {
        for (int o = 0; o < outChannels; ++o)
            buffer.clear(o, 0, samples);
        return;
    }

    // Output sample t is the convolution at t − (H − B). Calls of B samples take
    // the hop's work in their last call; calls of any other length are cut at hop
    // ends, and output that needs a hop not gathered to its end comes from a
    // partial hop that pads the rest with zeros (exact for every sample it gives).
    const float gain = static_cast<float>(wetGain.getRawValue());
    const int h = hopSize;
    const int b = blockSize;
    for (int position = 0; position < samples;) {
        const int fill = hopFill;
        const int count = std::min(samples - position, h - fill);
        gatherInputs(buffer, inChannels, position, count);
        hopFill += count;
        const int fromLastHop = std::clamp(h - b - fill, 0, count);
        if (fromLastHop > 0)
            writeOutputs(buffer, outChannels, position, h + fill + b, fromLastHop, gain);
        if (fromLastHop < count) {
            const int firstOffset = fill + fromLastHop + b - h;
            const int rest = count - fromLastHop;
            if (hopFill == h) {
                computeHop(false);
                hopFill = 0;
                partialValid = 0;
            } else if (firstOffset + rest > partialValid) {
                computeHop(true);
                partialValid = hopFill;
            }
            writeOutputs(buffer, outChannels, position + fromLastHop, h + firstOffset, rest, gain);
        }
        position += count;
    }
    blockCounter = hopFill / b;
    blockPos = (h + hopFill) / b;
}
