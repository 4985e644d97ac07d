#include "engine/partitioned_convolver.h"

#include <algorithm>
#include <new>

#include "primitives/dsp.h"

namespace {

// Floats of a spectrum multiplied and summed at a time: the product stays in the
// first-level cache beside the sum, with room for the two streamed spectra.
constexpr int kProductChunk = 1024;
// The chunk's product starts here in its buffer, on a 16-byte boundary.
constexpr int kProductStart = 4;

bool isPowerOfTwo(int value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

int log2Of(int powerOfTwo)
{
    int order = 0;
    while ((1 << order) < powerOfTwo)
        ++order;
    return order;
}

}  // namespace

bool BRPartitionedConvolver::prepare(int inputCount, int outputCount, int fftSize, int blockSize)
{
    if (inputCount < 1 || outputCount < 1 || fftSize < 2 || fftSize > kMaxFftSize || !isPowerOfTwo(fftSize)
        || blockSize < 1 || blockSize > fftSize / 2 || blockSize > kMaxBlockSize)
        return false;
    dspRealFftSpec* created = nullptr;
    if (dspRealFftCreate(&created, log2Of(fftSize), dspFftScaleNone, 1) != dspOk || created == nullptr)
        return false;
    BRFftSpecHandle newSpec(created);
    int workBytes = 0;
    dspRealFftBufferSize(newSpec.get(), &workBytes);
    BRAlignedFloats work;
    if (workBytes > 0 && !work.allocateZeroed((workBytes + 3) / 4))
        return false;
    BRAlignedFloats newFrames, newSums, newResults, newProduct;
    const std::int64_t cellCount = std::int64_t{inputCount} * outputCount;
    std::unique_ptr<const float*[]> table(new (std::nothrow) const float*[static_cast<std::size_t>(cellCount)]());
    if (table == nullptr || !newFrames.allocateZeroed(std::int64_t{inputCount} * fftSize)
        || !newSums.allocateZeroed(std::int64_t{outputCount} * fftSize)
        || !newResults.allocateZeroed(std::int64_t{outputCount} * fftSize)
        || !newProduct.allocateZeroed(kProductStart + std::min(fftSize, kProductChunk)))
        return false;

    inputs = inputCount;
    outputs = outputCount;
    n = fftSize;
    b = blockSize;
    spec = std::move(newSpec);
    fftWork = std::move(work);
    frames = std::move(newFrames);
    sums = std::move(newSums);
    results = std::move(newResults);
    product = std::move(newProduct);
    cells = std::move(table);
    history.release();
    ring.reset();
    partitions = 0;
    historySlot = 0;
    hopFill = 0;
    partialValid = 0;
    return true;
}

bool BRPartitionedConvolver::preparePartitions(int count)
{
    if (!isPrepared() || count < 1)
        return false;
    BRAlignedFloats histories;
    std::unique_ptr<int[]> newRing(new (std::nothrow) int[static_cast<std::size_t>(count)]);
    if (newRing == nullptr || !histories.allocateZeroed(std::int64_t{inputs} * count * n))
        return false;
    history = std::move(histories);
    ring = std::move(newRing);
    partitions = count;
    std::fill_n(cells.get(), std::int64_t{inputs} * outputs, nullptr);
    initPartitionRing();
    partialValid = 0;
    return true;
}

bool BRPartitionedConvolver::makeCellSpectra(const float* samples, std::int64_t available, int irLength,
                                             BRAlignedFloats& spectra) const
{
    if (!isPrepared() || irLength < 1)
        return false;
    const int hop = n / 2;
    const std::int64_t count = ceilDiv(irLength, hop);
    BRAlignedFloats made;
    if (!made.allocateZeroed(count * n))
        return false;
    // Its own work buffer: the audio thread's may be in use.
    int workBytes = 0;
    dspRealFftBufferSize(spec.get(), &workBytes);
    BRAlignedFloats work;
    if (workBytes > 0 && !work.allocateZeroed((workBytes + 3) / 4))
        return false;

    const std::int64_t ownSamples = samples != nullptr ? std::clamp<std::int64_t>(available, 0, irLength) : 0;
    for (std::int64_t p = 0; p < count; ++p) {
        // Each slot starts as zeros: the hop's samples go in front, the rest pads.
        // Partitions lie last first, so that a hop's sum, which takes them from a
        // newer partition to an older one, reads memory forwards.
        float* spectrum = made.data() + (count - 1 - p) * n;
        const std::int64_t first = p * hop;
        const std::int64_t taken = std::clamp<std::int64_t>(ownSamples - first, 0, hop);
        if (taken > 0)
            dspCopy(samples + first, spectrum, static_cast<int>(taken));
        if (dspRealFftForward(spectrum, spectrum, spec.get(), work.data()) != dspOk)
            return false;
    }
    spectra = std::move(made);
    return true;
}

void BRPartitionedConvolver::setCell(int output, int input, const float* spectra)
{
    if (cells != nullptr && output >= 0 && output < outputs && input >= 0 && input < inputs)
        cells[static_cast<std::size_t>(output) * inputs + input] = spectra;
}

void BRPartitionedConvolver::initPartitionRing()
{
    ring[0] = 0;
    for (int j = 1; j < partitions; ++j)
        ring[j] = partitions - j;
    historySlot = partitions - 1;
}

void BRPartitionedConvolver::reset()
{
    if (partitions < 1)
        return;
    zeroFloats(frames.data(), frames.size());
    zeroFloats(history.data(), history.size());
    initPartitionRing();
    partialValid = 0;
}

void BRPartitionedConvolver::gatherInputs(const float* const* channels, int channelCount, int from, int count)
{
    const int h = n / 2;
    for (int i = 0; i < inputs; ++i) {
        float* frame = frames.data() + std::int64_t{i} * n + h + hopFill;
        if (i < channelCount)
            dspCopy(channels[i] + from, frame, count);
        else
            dspZero(frame, count);  // an input the host does not hand over is silent
    }
}

void BRPartitionedConvolver::writeOutputs(float* const* channels, int channelCount, int to, int sourceIndex,
                                          int count, float gain) const
{
    const int written = std::min(outputs, channelCount);
    for (int o = 0; o < written; ++o) {
        float* destination = channels[o] + to;
        dspCopy(results.data() + std::int64_t{o} * n + sourceIndex, destination, count);
        dspMulConstInPlace(gain, destination, count);
    }
}

void BRPartitionedConvolver::multiplyAccumulatePartitions()
{
    // The order of the sums (inputs, outputs, history rows from the first on,
    // i.e. slots from the oldest down) fixes the result to the bit; each bin is
    // independent of the others, so a row goes through in chunks.
    float* chunkProduct = product.data() + kProductStart;
    for (int i = 0; i < inputs; ++i) {
        const float* rows = history.data() + std::int64_t{i} * partitions * n;
        for (int o = 0; o < outputs; ++o) {
            const float* cell = cells[static_cast<std::size_t>(o) * inputs + i];
            if (cell == nullptr)
                continue;
            float* sum = sums.data() + std::int64_t{o} * n;
            for (int row = 0; row < partitions; ++row) {
                const float* a = rows + std::int64_t{row} * n;
                const float* b = cell + std::int64_t{partitions - 1 - ring[row]} * n;
                const int first = std::min(n, kProductChunk);
                dspMulSpectra(a, b, chunkProduct, first);
                dspAddInPlace(chunkProduct, sum, first);
                // Past the first chunk every bin is a complex pair. An odd length is one
                // real element, then pairs: started one float early, the product's
                // pairs are the chunk's, after a real element the sum leaves out.
                for (int k = first; k < n; k += kProductChunk) {
                    const int count = std::min(kProductChunk, n - k);
                    dspMulSpectra(a + k - 1, b + k - 1, chunkProduct - 1, count + 1);
                    dspAddInPlace(chunkProduct, sum + k, count);
                }
            }
        }
    }
}

void BRPartitionedConvolver::computeHop(bool partial)
{
    const int h = n / 2;
    void* work = fftWork.data();
    for (int i = 0; i < inputs; ++i) {
        float* frame = frames.data() + std::int64_t{i} * n;
        if (partial && hopFill < h)
            dspZero(frame + h + hopFill, h - hopFill);  // not gathered yet: counts as silence
        const int row = partitions - 1 - historySlot;
        float* slot = history.data() + (std::int64_t{i} * partitions + row) * n;
        dspRealFftForward(frame, slot, spec.get(), work);
        if (!partial)
            dspCopy(frame + h, frame, h);
    }
    zeroFloats(sums.data(), sums.size());
    multiplyAccumulatePartitions();
    const float scale = static_cast<float>(1.0 / n);
    for (int o = 0; o < outputs; ++o) {
        float* result = results.data() + std::int64_t{o} * n;
        dspRealFftInverse(sums.data() + std::int64_t{o} * n, result, spec.get(), work);
        dspMulConstInPlace(scale, result, n);
    }
    if (partial)
        return;
    historySlot = historySlot == 0 ? partitions - 1 : historySlot - 1;
    std::rotate(ring.get(), ring.get() + partitions - 1, ring.get() + partitions);
}

void BRPartitionedConvolver::process(float* const* channels, int channelCount, int samples, float gain)
{
    if (samples < 1 || channelCount < 1)
        return;
    if (partitions < 1) {
        for (int o = 0; o < std::min(outputs, channelCount); ++o)
            dspZero(channels[o], samples);
        return;
    }
    // Calls of B samples take the hop's work in their last call; calls of any
    // other length are cut at hop ends, and output that needs a hop not gathered
    // to its end comes from a partial hop that pads the rest with zeros (exact
    // for every sample it gives).
    const int h = n / 2;
    for (int position = 0; position < samples;) {
        const int fill = hopFill;
        const int count = std::min(samples - position, h - fill);
        gatherInputs(channels, channelCount, position, count);
        hopFill += count;
        const int fromLastHop = std::clamp(h - b - fill, 0, count);
        if (fromLastHop > 0)
            writeOutputs(channels, channelCount, position, h + fill + b, fromLastHop, gain);
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
            writeOutputs(channels, channelCount, position + fromLastHop, h + firstOffset, rest, gain);
        }
        position += count;
    }
}
