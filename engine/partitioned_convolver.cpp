#include "engine/partitioned_convolver.h"

#include <algorithm>
#include <new>

#include "engine/denormal_guard.h"
#include "primitives/dsp.h"

namespace {

// One input's rows of a chunk stay within this, which fits a second-level cache
// of 1 MB with room for the cells streaming past. Chunks are no narrower than
// kMinChunkBins: shorter runs cost more than a history read from further out.
// Nor wider than kMaxChunkBins, whose sums (4 KB) stay in the first-level cache.
constexpr std::int64_t kHistoryChunkBytes = 768 * 1024;
constexpr int kMinChunkBins = 64;
constexpr int kMaxChunkBins = 512;

bool isPowerOfTwo(int value) { return value > 0 && (value & (value - 1)) == 0; }

int log2Of(int powerOfTwo)
{
    int order = 0;
    while ((1 << order) < powerOfTwo)
        ++order;
    return order;
}

// Where bin k of a chunk lies in its row: blocks of four bins, the four real
// parts then the four imaginary parts.
std::int64_t realPartIndex(int k) { return 8 * (k / 4) + k % 4; }

// A packed spectrum (the DC and Nyquist terms, then bins 1, 2, … as real and
// imaginary parts) into the split layout: chunk q's row at firstRow + q · chunkStride.
void splitIntoRows(const float* packed, float* firstRow, std::int64_t chunkStride, int bins, int chunks)
{
    for (int q = 0; q < chunks; ++q) {
        float* row = firstRow + q * chunkStride;
        const float* pairs = packed + std::int64_t{q} * 2 * bins;
        for (int k = 0; k < bins; ++k) {
            row[realPartIndex(k)] = pairs[2 * k];
            row[realPartIndex(k) + 4] = pairs[2 * k + 1];
        }
    }
}

// The inverse of splitIntoRows.
void packFromRows(const float* firstRow, std::int64_t chunkStride, int bins, int chunks, float* packed)
{
    for (int q = 0; q < chunks; ++q) {
        const float* row = firstRow + q * chunkStride;
        float* pairs = packed + std::int64_t{q} * 2 * bins;
        for (int k = 0; k < bins; ++k) {
            pairs[2 * k] = row[realPartIndex(k)];
            pairs[2 * k + 1] = row[realPartIndex(k) + 4];
        }
    }
}

}  // namespace

BRPartitionedConvolver::SplitLayout BRPartitionedConvolver::layoutFor(int fftSize, std::int64_t partitionCount)
{
    int bins = std::min(fftSize / 2, kMaxChunkBins);
    while (bins > kMinChunkBins && partitionCount * bins * 2 * std::int64_t{sizeof(float)} > kHistoryChunkBytes)
        bins /= 2;
    return {bins, fftSize / 2 / bins, 8 * ((bins + 3) / 4)};
}

bool BRPartitionedConvolver::prepare(int inputCount, int outputCount, int fftSize, int blockSize)
{
    if (inputCount < 1 || outputCount < 1 || fftSize < 2 || fftSize > kMaxFftSize || !isPowerOfTwo(fftSize) ||
        blockSize < 1 || blockSize > fftSize / 2 || blockSize > kMaxBlockSize)
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
    BRAlignedFloats newFrames, newSums, newSpectrum, newResults;
    const std::int64_t cellCount = std::int64_t{inputCount} * outputCount;
    std::unique_ptr<const float*[]> table(new (std::nothrow) const float*[static_cast<std::size_t>(cellCount)]());
    if (table == nullptr || !newFrames.allocateZeroed(std::int64_t{inputCount} * fftSize) ||
        !newSums.allocateZeroed(outputCount * layoutFor(fftSize, 1).spectrumFloats()) ||
        !newSpectrum.allocateZeroed(fftSize) || !newResults.allocateZeroed(std::int64_t{outputCount} * fftSize))
        return false;

    inputs = inputCount;
    outputs = outputCount;
    n = fftSize;
    b = blockSize;
    layout = {};
    spec = std::move(newSpec);
    fftWork = std::move(work);
    frames = std::move(newFrames);
    sums = std::move(newSums);
    spectrum = std::move(newSpectrum);
    results = std::move(newResults);
    cells = std::move(table);
    history.release();
    partitions = 0;
    newestRow = 0;
    hopFill = 0;
    partialValid = 0;
    return true;
}

bool BRPartitionedConvolver::preparePartitions(int count)
{
    if (!isPrepared() || count < 1)
        return false;
    const SplitLayout newLayout = layoutFor(n, count);
    BRAlignedFloats histories;
    if (!histories.allocateZeroed(std::int64_t{inputs} * count * newLayout.spectrumFloats()))
        return false;
    history = std::move(histories);
    layout = newLayout;
    partitions = count;
    std::fill_n(cells.get(), std::int64_t{inputs} * outputs, nullptr);
    newestRow = 0;
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
    const SplitLayout cellLayout = layoutFor(n, count);
    BRAlignedFloats made;
    if (!made.allocateZeroed(count * cellLayout.spectrumFloats()))
        return false;
    // Its own work buffer: the audio thread's may be in use.
    int workBytes = 0;
    dspRealFftBufferSize(spec.get(), &workBytes);
    BRAlignedFloats work;
    if (workBytes > 0 && !work.allocateZeroed((workBytes + 3) / 4))
        return false;

    BRAlignedFloats piece;
    if (!piece.allocateZeroed(n))
        return false;

    const std::int64_t ownSamples = samples != nullptr ? std::clamp<std::int64_t>(available, 0, irLength) : 0;
    for (std::int64_t p = 0; p < count; ++p) {
        // The hop's samples go in front, the rest pads. Partitions lie last first,
        // so that a hop's sums, which take them from a newer partition to an older
        // one, read memory forwards.
        const std::int64_t first = p * hop;
        const std::int64_t taken = std::clamp<std::int64_t>(ownSamples - first, 0, hop);
        zeroFloats(piece.data(), n);
        if (taken > 0)
            dspCopy(samples + first, piece.data(), static_cast<int>(taken));
        if (dspRealFftForward(piece.data(), piece.data(), spec.get(), work.data()) != dspOk)
            return false;
        float* row = made.data() + (count - 1 - p) * cellLayout.rowFloats;
        splitIntoRows(piece.data(), row, count * cellLayout.rowFloats, cellLayout.chunkBins, cellLayout.chunkCount);
    }
    spectra = std::move(made);
    return true;
}

void BRPartitionedConvolver::setCell(int output, int input, const float* spectra)
{
    if (cells != nullptr && output >= 0 && output < outputs && input >= 0 && input < inputs)
        cells[static_cast<std::size_t>(output) * inputs + input] = spectra;
}

void BRPartitionedConvolver::reset()
{
    if (partitions < 1)
        return;
    zeroFloats(frames.data(), frames.size());
    zeroFloats(history.data(), history.size());
    newestRow = 0;
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

void BRPartitionedConvolver::writeOutputs(float* const* channels, int channelCount, int to, int sourceIndex, int count,
                                          float gain) const
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
    // Chunks outermost, so that a chunk of an input's rows meets every output
    // while it is in cache. For each bin the order of the sums stays inputs,
    // then rows from the first on, which fixes the result to the bit. Rows 0 …
    // c meet partitions c … 0, which lie last first from P − 1 − c on; rows
    // c + 1 … P − 1 meet partitions P − 1 … c + 1, from the first on.
    const int c = newestRow;
    const auto [chunkBins, chunkCount, rowFloats] = layout;
    const std::int64_t chunkFloats = std::int64_t{partitions} * rowFloats;
    for (int q = 0; q < chunkCount; ++q) {
        const int realFirstBin = q == 0 ? 1 : 0;
        for (int i = 0; i < inputs; ++i) {
            const float* rows = history.data() + (std::int64_t{i} * chunkCount + q) * chunkFloats;
            for (int o = 0; o < outputs; ++o) {
                const float* cell = cells[static_cast<std::size_t>(o) * inputs + i];
                if (cell == nullptr)
                    continue;
                const float* cellChunk = cell + q * chunkFloats;
                float* sum = sums.data() + (std::int64_t{o} * chunkCount + q) * rowFloats;
                dspMulAccumulateSplitSpectra(rows, cellChunk + (partitions - 1 - c) * rowFloats, sum, chunkBins, c + 1,
                                             realFirstBin);
                if (c + 1 < partitions)
                    dspMulAccumulateSplitSpectra(rows + (c + 1) * rowFloats, cellChunk, sum, chunkBins,
                                                 partitions - 1 - c, realFirstBin);
            }
        }
    }
}

void BRPartitionedConvolver::computeHop(bool partial)
{
    const int h = n / 2;
    void* work = fftWork.data();
    const auto [chunkBins, chunkCount, rowFloats] = layout;
    const std::int64_t chunkFloats = std::int64_t{partitions} * rowFloats;
    for (int i = 0; i < inputs; ++i) {
        float* frame = frames.data() + std::int64_t{i} * n;
        if (partial && hopFill < h)
            dspZero(frame + h + hopFill, h - hopFill);  // not gathered yet: counts as silence
        dspRealFftForward(frame, spectrum.data(), spec.get(), work);
        float* newest = history.data() + i * chunkCount * chunkFloats + std::int64_t{newestRow} * rowFloats;
        splitIntoRows(spectrum.data(), newest, chunkFloats, chunkBins, chunkCount);
        if (!partial)
            dspCopy(frame + h, frame, h);
    }
    zeroFloats(sums.data(), sums.size());
    multiplyAccumulatePartitions();
    const float scale = static_cast<float>(1.0 / n);
    for (int o = 0; o < outputs; ++o) {
        float* result = results.data() + std::int64_t{o} * n;
        packFromRows(sums.data() + std::int64_t{o} * chunkCount * rowFloats, rowFloats, chunkBins, chunkCount,
                     spectrum.data());
        dspRealFftInverse(spectrum.data(), result, spec.get(), work);
        dspMulConstInPlace(scale, result, n);
    }
    if (!partial)
        newestRow = newestRow + 1 == partitions ? 0 : newestRow + 1;
}

void BRPartitionedConvolver::process(float* const* channels, int channelCount, int samples, float gain)
{
    if (samples < 1 || channelCount < 1)
        return;
    const BRDenormalGuard flushSubnormals;
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
