#include "engine/partitioned_convolver.h"

#include <algorithm>
#include <limits>
#include <new>

#include "engine/denormal_guard.h"
#include "primitives/dsp.h"

namespace {

// One group of strips takes one input block's history rows to every output;
// they and every output's sums of the group fill a second-level cache of 1 MB.
// The cells streaming past push some rows out to the third level, which costs
// less than the shorter streams of smaller groups.
constexpr std::int64_t kGroupBytes = 1024 * 1024;
// The rows an input block's sums run over between a load and a store of them,
// at least, and the inputs a block may take: each one more cell streaming at once.
constexpr std::int64_t kRowsPerSumsLoad = 64;
constexpr int kMaxBlockInputs = 4;

bool isPowerOfTwo(int value) { return value > 0 && (value & (value - 1)) == 0; }

int log2Of(int powerOfTwo)
{
    int order = 0;
    while ((1 << order) < powerOfTwo)
        ++order;
    return order;
}

// Where bin k lies in its strip's row (strips of 8 bins, 16 floats a row):
// blocks of four bins, the four real parts then the four imaginary parts.
int realPartIndex(int k) { return 8 * (k % 8 / 4) + k % 4; }

// A packed spectrum (the DC and Nyquist terms, then bins 1, 2, … as real and
// imaginary parts) of bins bins into the split layout: strip s's row at
// firstRow + s · stripStride.
void splitIntoRows(const float* packed, float* firstRow, std::int64_t stripStride, int bins)
{
    for (int k = 0; k < bins; ++k) {
        float* row = firstRow + (k / 8) * stripStride;
        row[realPartIndex(k)] = packed[2 * k];
        row[realPartIndex(k) + 4] = packed[2 * k + 1];
    }
}

// The inverse of splitIntoRows.
void packFromRows(const float* firstRow, std::int64_t stripStride, int bins, float* packed)
{
    for (int k = 0; k < bins; ++k) {
        const float* row = firstRow + (k / 8) * stripStride;
        packed[2 * k] = row[realPartIndex(k)];
        packed[2 * k + 1] = row[realPartIndex(k) + 4];
    }
}

int stripsOf(int fftSize) { return std::max(1, fftSize / 16); }

}  // namespace

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
    BRAlignedFloats newFrames, newNewest, newSums, newHopSums, newSpectrum, newResults;
    const std::int64_t cellCount = std::int64_t{inputCount} * outputCount;
    const std::int64_t spectrumFloats = std::int64_t{stripsOf(fftSize)} * kRowFloats;
    // One run per input for partition 0, two per input of a block for the
    // older partitions: the history ring wraps.
    const auto runCount = static_cast<std::size_t>(std::max(inputCount, 2 * std::min(inputCount, kMaxBlockInputs)));
    std::unique_ptr<const float*[]> table(new (std::nothrow) const float*[static_cast<std::size_t>(cellCount)]());
    std::unique_ptr<const float*[]> newRunRows(new (std::nothrow) const float*[runCount]());
    std::unique_ptr<const float*[]> newRunCells(new (std::nothrow) const float*[runCount]());
    std::unique_ptr<const float*[]> newOtherRunCells(new (std::nothrow) const float*[runCount]());
    std::unique_ptr<int[]> newRunLengths(new (std::nothrow) int[runCount]());
    if (table == nullptr || newRunRows == nullptr || newRunCells == nullptr || newOtherRunCells == nullptr ||
        newRunLengths == nullptr || !newFrames.allocateZeroed(std::int64_t{inputCount} * fftSize) ||
        !newNewest.allocateZeroed(inputCount * spectrumFloats) ||
        !newSums.allocateZeroed(outputCount * spectrumFloats) || !newHopSums.allocateZeroed(spectrumFloats) ||
        !newSpectrum.allocateZeroed(fftSize) || !newResults.allocateZeroed(std::int64_t{outputCount} * fftSize))
        return false;

    inputs = inputCount;
    outputs = outputCount;
    n = fftSize;
    b = blockSize;
    strips = stripsOf(fftSize);
    spec = std::move(newSpec);
    fftWork = std::move(work);
    frames = std::move(newFrames);
    newest = std::move(newNewest);
    sums = std::move(newSums);
    hopSums = std::move(newHopSums);
    spectrum = std::move(newSpectrum);
    results = std::move(newResults);
    cells = std::move(table);
    runRows = std::move(newRunRows);
    runCells = std::move(newRunCells);
    otherRunCells = std::move(newOtherRunCells);
    runLengths = std::move(newRunLengths);
    history.release();
    partitions = 0;
    lastRow = 0;
    newestUnsettled = false;
    hopFill = 0;
    partialValid = 0;
    olderDone = 0;
    return true;
}

bool BRPartitionedConvolver::preparePartitions(int count)
{
    if (!isPrepared() || count < 1 || count > std::numeric_limits<int>::max() / kRowFloats)
        return false;
    // A single partition needs no history beside the newest spectra.
    BRAlignedFloats histories;
    if (count > 1 && !histories.allocateZeroed(std::int64_t{inputs} * strips * (count - 1) * kRowFloats))
        return false;
    history = std::move(histories);
    partitions = count;
    std::fill_n(cells.get(), std::int64_t{inputs} * outputs, nullptr);
    zeroFloats(newest.data(), newest.size());
    lastRow = 0;
    newestUnsettled = false;
    partialValid = 0;
    olderDone = 0;
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
    if (!made.allocateZeroed(count * strips * kRowFloats))
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
        // The hop's samples go in front, the rest pads.
        const std::int64_t first = p * hop;
        const std::int64_t taken = std::clamp<std::int64_t>(ownSamples - first, 0, hop);
        zeroFloats(piece.data(), n);
        if (taken > 0)
            dspCopy(samples + first, piece.data(), static_cast<int>(taken));
        if (dspRealFftForward(piece.data(), piece.data(), spec.get(), work.data()) != dspOk)
            return false;
        // Partition 0 first, then partitions P − 1 … 1 row by row in each strip.
        const std::int64_t older = count - 1;
        if (p == 0)
            splitIntoRows(piece.data(), made.data(), kRowFloats, hop);
        else
            splitIntoRows(piece.data(), made.data() + (strips + older - p) * kRowFloats, older * kRowFloats, hop);
    }
    spectra = std::move(made);
    return true;
}

void BRPartitionedConvolver::setCell(int output, int input, const float* spectra)
{
    if (cells != nullptr && output >= 0 && output < outputs && input >= 0 && input < inputs) {
        cells[static_cast<std::size_t>(output) * inputs + input] = spectra;
        olderDone = 0;  // the sums so far hold the old cell's products
    }
}

void BRPartitionedConvolver::reset()
{
    if (partitions < 1)
        return;
    zeroFloats(frames.data(), frames.size());
    zeroFloats(newest.data(), newest.size());
    zeroFloats(history.data(), history.size());
    lastRow = 0;
    newestUnsettled = false;
    partialValid = 0;
    olderDone = 0;
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

void BRPartitionedConvolver::settleNewest()
{
    if (!newestUnsettled)
        return;
    newestUnsettled = false;
    const int rows = olderRows();
    if (rows < 1)
        return;
    // The oldest row gives way to the last hop's spectra.
    lastRow = lastRow + 1 == rows ? 0 : lastRow + 1;
    const std::int64_t stride = olderStride();
    for (int i = 0; i < inputs; ++i) {
        const float* from = newest.data() + std::int64_t{i} * strips * kRowFloats;
        float* to = history.data() + std::int64_t{i} * strips * stride + std::int64_t{lastRow} * kRowFloats;
        for (int q = 0; q < strips; ++q)
            dspCopy(from + std::int64_t{q} * kRowFloats, to + q * stride, kRowFloats);
    }
}

void BRPartitionedConvolver::accumulateOlderPartitions(int firstStrip, int endStrip)
{
    // Per bin the sums run through the inputs in order, each over its
    // partitions from the last down to 1, as the cell holds them: a group's
    // part of a cell streams past in one straight run, and the history rows,
    // mostly in the second-level cache, are read in two. Inputs go in blocks
    // whose rows together make a run long enough that loading and storing the
    // sums once per strip and block costs little. Partition d meets history row
    // c + 1 − d (mod R, R = P − 1 rows, c = lastRow): rows c + 1 … R − 1 meet
    // partitions P − 1 … c + 2, then rows 0 … c partitions c + 1 … 1.
    settleNewest();
    const int rows = olderRows();
    if (rows < 1)
        return;
    const int c = lastRow;
    const int blockInputs = std::clamp(static_cast<int>(ceilDiv(kRowsPerSumsLoad, rows)), 1,
                                       std::min(inputs, kMaxBlockInputs));
    const std::int64_t stride = olderStride();
    const std::int64_t stripBytes = (stride * blockInputs + std::int64_t{outputs} * kRowFloats) *
                                    std::int64_t{sizeof(float)};
    const std::int64_t groupStrips = std::max<std::int64_t>(1, kGroupBytes / stripBytes);
    const int bins = std::max(1, n / 2);
    const std::int64_t partitionZeroFloats = std::int64_t{strips} * kRowFloats;
    const int lengths[2] = {rows - 1 - c, c + 1};
    const int skip = lengths[0] == 0 ? 1 : 0;
    for (int first = firstStrip; first < endStrip;) {
        const int end = static_cast<int>(std::min<std::int64_t>(endStrip, first + groupStrips));
        const int groupBins = std::min(bins, end * kStripBins) - first * kStripBins;
        const std::int64_t groupFloats = std::int64_t{end - first} * kRowFloats;
        for (int o = 0; o < outputs; ++o)
            zeroFloats(sums.data() + (std::int64_t{o} * strips + first) * kRowFloats, groupFloats);
        for (int block = 0; block < inputs; block += blockInputs) {
            const int blockEnd = std::min(inputs, block + blockInputs);
            // The runs of output o's cells of the block into cellRuns (the history rows into runRows).
            auto fillRuns = [&](int o, const float** cellRuns) {
                int runs = 0;
                for (int i = block; i < blockEnd; ++i) {
                    const float* cell = cells[static_cast<std::size_t>(o) * inputs + i];
                    if (cell == nullptr)
                        continue;
                    const float* historyRows = history.data() + (std::int64_t{i} * strips + first) * stride;
                    const float* cellStrip = cell + partitionZeroFloats + first * stride;
                    for (int part = skip; part < 2; ++part) {
                        runRows[runs] = part == 0 ? historyRows + std::int64_t{c + 1} * kRowFloats : historyRows;
                        cellRuns[runs] = part == 0 ? cellStrip : cellStrip + std::int64_t{lengths[0]} * kRowFloats;
                        runLengths[runs++] = lengths[part];
                    }
                }
                return runs;
            };
            auto groupSums = [&](int o) { return sums.data() + (std::int64_t{o} * strips + first) * kRowFloats; };
            // Outputs go in pairs where their cells of the block are present alike: each history row is
            // then read once for both, and twice the cells stream at once.
            for (int o = 0; o < outputs;) {
                const int runs = fillRuns(o, runCells.get());
                const bool pair = o + 1 < outputs && sameInputsPresent(o, o + 1, block, blockEnd);
                if (pair)
                    fillRuns(o + 1, otherRunCells.get());
                if (runs > 0 && pair)
                    dspMulAccumulateSplitSpectraPair(runRows.get(), runCells.get(), otherRunCells.get(),
                                                     runLengths.get(), runs, groupSums(o), groupSums(o + 1), groupBins,
                                                     static_cast<int>(stride), first == 0 ? 1 : 0);
                else if (runs > 0)
                    dspMulAccumulateSplitSpectra(runRows.get(), runCells.get(), runLengths.get(), runs, groupSums(o),
                                                 groupBins, static_cast<int>(stride), first == 0 ? 1 : 0);
                o += pair ? 2 : 1;
            }
        }
        first = end;
    }
}

void BRPartitionedConvolver::addNewestPartition(int output)
{
    int runs = 0;
    for (int i = 0; i < inputs; ++i) {
        const float* cell = cells[static_cast<std::size_t>(output) * inputs + i];
        if (cell == nullptr)
            continue;
        runRows[runs] = newest.data() + std::int64_t{i} * strips * kRowFloats;
        runCells[runs] = cell;
        runLengths[runs++] = 1;
    }
    dspCopy(sums.data() + std::int64_t{output} * strips * kRowFloats, hopSums.data(), strips * kRowFloats);
    if (runs > 0)
        dspMulAccumulateSplitSpectra(runRows.get(), runCells.get(), runLengths.get(), runs, hopSums.data(),
                                     std::max(1, n / 2), kRowFloats, 1);
}

bool BRPartitionedConvolver::sameInputsPresent(int output, int otherOutput, int firstInput, int endInput) const
{
    for (int i = firstInput; i < endInput; ++i)
        if ((cells[static_cast<std::size_t>(output) * inputs + i] == nullptr) !=
            (cells[static_cast<std::size_t>(otherOutput) * inputs + i] == nullptr))
            return false;
    return true;
}

int BRPartitionedConvolver::olderStripsDueAt(int filled) const
{
    // Shared evenly over the calls up to the one that ends the hop, which has
    // the transforms to do.
    const int beforeLastCall = n / 2 - b;
    if (filled >= beforeLastCall)
        return strips;
    return static_cast<int>(ceilDiv(std::int64_t{strips} * filled, beforeLastCall));
}

void BRPartitionedConvolver::computeHop(bool partial)
{
    const int h = n / 2;
    void* work = fftWork.data();
    // The older sums first: they need the last hop's spectra in the history.
    accumulateOlderPartitions(olderDone, strips);
    olderDone = strips;
    for (int i = 0; i < inputs; ++i) {
        float* frame = frames.data() + std::int64_t{i} * n;
        if (partial && hopFill < h)
            dspZero(frame + h + hopFill, h - hopFill);  // not gathered yet: counts as silence
        dspRealFftForward(frame, spectrum.data(), spec.get(), work);
        splitIntoRows(spectrum.data(), newest.data() + std::int64_t{i} * strips * kRowFloats, kRowFloats, h);
        if (!partial)
            dspCopy(frame + h, frame, h);
    }
    const float scale = static_cast<float>(1.0 / n);
    for (int o = 0; o < outputs; ++o) {
        float* result = results.data() + std::int64_t{o} * n;
        addNewestPartition(o);
        packFromRows(hopSums.data(), kRowFloats, h, spectrum.data());
        dspRealFftInverse(spectrum.data(), result, spec.get(), work);
        dspMulConstInPlace(scale, result, n);
    }
    if (!partial) {
        newestUnsettled = true;
        olderDone = 0;
    }
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
    // Calls of B samples take the hop's transforms in their last call; calls of
    // any other length are cut at hop ends, and output that needs a hop not
    // gathered to its end comes from a partial hop that pads the rest with
    // zeros (exact for every sample it gives).
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
        if (hopFill > 0) {
            const int due = olderStripsDueAt(hopFill);
            if (due > olderDone) {
                accumulateOlderPartitions(olderDone, due);
                olderDone = due;
            }
        }
        position += count;
    }
}
