#include "engine/partitioned_convolver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "engine/denormal_guard.h"
#include "primitives/dsp.h"

namespace {

// A block of inputs' history rows of a group of strips meets every output's
// cells of them in turn. Between two reads of a history row pass the block's
// other history rows and a pair of outputs' cells of them, twice the history:
// all of it within three quarters of a second-level cache of 512 KB, or the
// history comes again from further out for every pair. Blocks of inputs small
// enough for the first-level cache cut the outputs' cells into runs too short
// for the memory's bandwidth.
constexpr std::int64_t kBlockHistoryBytes = 128 * 1024;

// A transform of a hop takes about as long as the products of ten cells' partitions.
constexpr int kTransformCells = 10;

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
    const std::int64_t spectrumFloats = std::int64_t{stripsOf(fftSize)} * kRowFloats;
    // Two runs per input: the history ring wraps.
    const auto runCount = static_cast<std::size_t>(2 * inputCount);
    std::unique_ptr<const float*[]> newRunRows(new (std::nothrow) const float*[runCount]());
    std::unique_ptr<const float*[]> newRunCells(new (std::nothrow) const float*[runCount]());
    std::unique_ptr<const float*[]> newOtherRunCells(new (std::nothrow) const float*[runCount]());
    std::unique_ptr<int[]> newRunLengths(new (std::nothrow) int[runCount]());
    if (newRunRows == nullptr || newRunCells == nullptr || newOtherRunCells == nullptr || newRunLengths == nullptr ||
        !newFrames.allocateZeroed(std::int64_t{inputCount} * fftSize) ||
        !newNewest.allocateZeroed(inputCount * spectrumFloats) ||
        !newSums.allocateZeroed(outputCount * spectrumFloats) || !newHopSums.allocateZeroed(2 * spectrumFloats) ||
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
    cells.release();
    order = CellOrder{};
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
    if (count == partitions) {
        zeroFloats(history.data(), history.size());
    } else {
        // Blocks of inputs whose history rows of a group fit kBlockHistoryBytes, as
        // many inputs in each as can be, then as many strips in a group.
        const std::int64_t inputStripBytes = std::int64_t{std::max(1, count - 1)} * kRowFloats * sizeof(float);
        const std::int64_t blockCount =
            ceilDiv(inputs, std::clamp<std::int64_t>(kBlockHistoryBytes / inputStripBytes, 1, inputs));
        const int newBlockInputs = static_cast<int>(ceilDiv(inputs, blockCount));
        const int newGroupStrips = static_cast<int>(
            std::clamp<std::int64_t>(kBlockHistoryBytes / (newBlockInputs * inputStripBytes), 1, strips));
        const std::unique_ptr<bool[]> none(new (std::nothrow) bool[static_cast<std::size_t>(inputs) * outputs]());
        CellOrder emptyOrder;
        // A single partition needs no history beside the newest spectra.
        BRAlignedFloats histories;
        if (none == nullptr || !makeOrder(none.get(), newBlockInputs, emptyOrder) ||
            (count > 1 && !histories.allocateZeroed(std::int64_t{inputs} * strips * (count - 1) * kRowFloats)))
            return false;
        history = std::move(histories);
        partitions = count;
        blockInputs = newBlockInputs;
        groupStrips = newGroupStrips;
        cells.release();
        order = std::move(emptyOrder);
    }
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

bool BRPartitionedConvolver::makeOrder(const bool* wanted, int blockSize, CellOrder& made) const
{
    const auto cellCount = static_cast<std::size_t>(inputs) * outputs;
    const auto blockOutputs = static_cast<std::size_t>(ceilDiv(inputs, blockSize)) * outputs;
    CellOrder fresh;
    fresh.present.reset(new (std::nothrow) bool[cellCount]);
    fresh.counts.reset(new (std::nothrow) int[outputs]());
    fresh.blockCounts.reset(new (std::nothrow) int[blockOutputs]());
    fresh.blockBefore.reset(new (std::nothrow) std::int64_t[blockOutputs]);
    fresh.outputBefore.reset(new (std::nothrow) std::int64_t[outputs]);
    if (fresh.present == nullptr || fresh.counts == nullptr || fresh.blockCounts == nullptr ||
        fresh.blockBefore == nullptr || fresh.outputBefore == nullptr)
        return false;
    std::copy_n(wanted, cellCount, fresh.present.get());
    for (int o = 0; o < outputs; ++o)
        for (int i = 0; i < inputs; ++i)
            if (wanted[static_cast<std::size_t>(o) * inputs + i]) {
                ++fresh.counts[o];
                ++fresh.blockCounts[static_cast<std::size_t>(i / blockSize) * outputs + o];
            }
    for (int o = 0; o < outputs; ++o) {
        fresh.outputBefore[o] = fresh.total;
        fresh.total += fresh.counts[o];
    }
    std::int64_t before = 0;
    for (std::size_t at = 0; at < blockOutputs; ++at) {
        fresh.blockBefore[at] = before;
        before += fresh.blockCounts[at];
    }
    made = std::move(fresh);
    return true;
}

int BRPartitionedConvolver::presentBefore(const CellOrder& of, int output, int input) const
{
    const bool* row = of.present.get() + std::int64_t{output} * inputs;
    return static_cast<int>(std::count(row, row + input, true));
}

std::int64_t BRPartitionedConvolver::olderRowsBefore(const CellOrder& of, int output, int input, int strip) const
{
    const int block = input / blockInputs;
    const int groupFirst = strip / groupStrips * groupStrips;
    const std::int64_t groupLength = std::min(strips - groupFirst, groupStrips);
    const std::size_t at = static_cast<std::size_t>(block) * outputs + output;
    const std::int64_t cellsBefore = std::int64_t{groupFirst} * of.total + groupLength * of.blockBefore[at] +
                                     std::int64_t{strip - groupFirst} * of.blockCounts[at] +
                                     presentBefore(of, output, input) - presentBefore(of, output, block * blockInputs);
    return cellsBefore * olderRows();
}

std::int64_t BRPartitionedConvolver::newestRowsBefore(const CellOrder& of, int output, int input, int strip) const
{
    return std::int64_t{strips} * (of.total * olderRows() + of.outputBefore[output]) +
           std::int64_t{strip} * of.counts[output] + presentBefore(of, output, input);
}

BRPartitionedConvolver::SlicePlace BRPartitionedConvolver::slicePlace(const CellOrder& of, int output, int input,
                                                                      int slice) const
{
    if (slice < strips)
        return {std::int64_t{slice} * kRowFloats, newestRowsBefore(of, output, input, slice) * kRowFloats, kRowFloats};
    const int strip = slice - strips;
    return {(std::int64_t{strips} + std::int64_t{strip} * olderRows()) * kRowFloats,
            olderRowsBefore(of, output, input, strip) * kRowFloats, olderRows() * kRowFloats};
}

bool BRPartitionedConvolver::hasCell(int output, int input) const
{
    return order.present != nullptr && output >= 0 && output < outputs && input >= 0 && input < inputs &&
           order.present[static_cast<std::size_t>(output) * inputs + input];
}

bool BRPartitionedConvolver::arrangeCells(const bool* wanted)
{
    if (partitions < 1)
        return false;
    olderDone = 0;  // the sums so far hold the old cells' products
    const std::size_t cellCount = static_cast<std::size_t>(inputs) * outputs;
    if (std::equal(wanted, wanted + cellCount, order.present.get()))
        return true;
    CellOrder fresh;
    BRAlignedFloats arena;
    if (!makeOrder(wanted, blockInputs, fresh) ||
        (fresh.total > 0 && !arena.allocateZeroed(fresh.total * strips * partitions * kRowFloats)))
        return false;
    for (int o = 0; o < outputs; ++o)
        for (int i = 0; i < inputs; ++i) {
            if (!hasCell(o, i) || !fresh.present[static_cast<std::size_t>(o) * inputs + i])
                continue;
            for (int q = 0; q < sliceCount(); ++q) {
                const SlicePlace from = slicePlace(order, o, i, q), to = slicePlace(fresh, o, i, q);
                dspCopy(cells.data() + from.arenaOffset, arena.data() + to.arenaOffset, from.floats);
            }
        }
    cells = std::move(arena);
    order = std::move(fresh);
    return true;
}

bool BRPartitionedConvolver::setCell(int output, int input, const float* spectra)
{
    if (partitions < 1 || output < 0 || output >= outputs || input < 0 || input >= inputs)
        return false;
    if (hasCell(output, input) != (spectra != nullptr)) {
        const std::size_t cellCount = static_cast<std::size_t>(inputs) * outputs;
        std::unique_ptr<bool[]> wanted(new (std::nothrow) bool[cellCount]);
        if (wanted == nullptr)
            return false;
        std::copy_n(order.present.get(), cellCount, wanted.get());
        wanted[static_cast<std::size_t>(output) * inputs + input] = spectra != nullptr;
        if (!arrangeCells(wanted.get()))
            return false;
    }
    olderDone = 0;  // the sums so far hold the old cell's products
    if (spectra == nullptr)
        return true;
    for (int q = 0; q < sliceCount(); ++q) {
        const SlicePlace place = slicePlace(order, output, input, q);
        dspCopy(spectra + place.cellOffset, cells.data() + place.arenaOffset, place.floats);
    }
    return true;
}

bool BRPartitionedConvolver::copyCell(int output, int input, BRAlignedFloats& spectra) const
{
    BRAlignedFloats copy;
    if (!hasCell(output, input) || !copy.allocateZeroed(std::int64_t{strips} * partitions * kRowFloats))
        return false;
    for (int q = 0; q < sliceCount(); ++q) {
        const SlicePlace place = slicePlace(order, output, input, q);
        dspCopy(cells.data() + place.arenaOffset, copy.data() + place.cellOffset, place.floats);
    }
    spectra = std::move(copy);
    return true;
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
    for (std::int64_t r = 0; r < std::int64_t{strips} * inputs; ++r)
        dspCopy(newest.data() + r * kRowFloats, history.data() + (r * rows + lastRow) * kRowFloats, kRowFloats);
}

int BRPartitionedConvolver::fillRuns(int output, InputBlock block, const float* historyRows, const float* cellRows,
                                     int rowsPerInput, int splitRow, const float** cellRuns) const
{
    // Cell row r meets history row (splitRow + r) mod rowsPerInput.
    const int lengths[2] = {rowsPerInput - splitRow, splitRow};
    const bool* row = order.present.get() + std::int64_t{output} * inputs;
    const std::int64_t inputFloats = std::int64_t{rowsPerInput} * kRowFloats;
    int runs = 0;
    for (int i = block.first; i < block.end; ++i) {
        if (!row[i])
            continue;
        const float* historyRun = historyRows + i * inputFloats;
        for (int part = 0; part < 2; ++part) {
            if (lengths[part] == 0)
                continue;
            const float* historyPart = part == 0 ? historyRun + std::int64_t{splitRow} * kRowFloats : historyRun;
            if (runs > 0 && runRows[runs - 1] + std::int64_t{runLengths[runs - 1]} * kRowFloats == historyPart &&
                cellRuns[runs - 1] + std::int64_t{runLengths[runs - 1]} * kRowFloats == cellRows) {
                runLengths[runs - 1] += lengths[part];  // the rows go on in both
            } else {
                runRows[runs] = historyPart;
                cellRuns[runs] = cellRows;
                runLengths[runs++] = lengths[part];
            }
            cellRows += std::int64_t{lengths[part]} * kRowFloats;
        }
    }
    return runs;
}

void BRPartitionedConvolver::sumRow(int output, bool pair, bool olderPartitions, InputBlock block, int firstStrip,
                                    int bins, float* sum, float* otherSum)
{
    // The runs hold the block's present inputs' rows in order, each over its
    // partitions from the last down, as the row holds them.
    const int rowsPerInput = olderPartitions ? olderRows() : 1;
    const std::int64_t historyFirst = std::int64_t{firstStrip} * inputs * rowsPerInput * kRowFloats;
    const float* historyRows = (olderPartitions ? history.data() : newest.data()) + historyFirst;
    auto cellsOf = [&](int o) {
        return cells.data() + kRowFloats * (olderPartitions ? olderRowsBefore(order, o, block.first, firstStrip)
                                                            : newestRowsBefore(order, o, block.first, firstStrip));
    };
    const float* cellRows = cellsOf(output);
    const int runs = fillRuns(output, block, historyRows, cellRows, rowsPerInput, olderPartitions ? lastRow + 1 : 1,
                              runCells.get());
    if (runs == 0)
        return;
    const int historyStride = inputs * rowsPerInput * kRowFloats;
    const int blockCells =
        olderPartitions ? order.blockCounts[static_cast<std::size_t>(block.first / blockInputs) * outputs + output]
                        : order.counts[output];
    const int cellStride = blockCells * rowsPerInput * kRowFloats;
    const int realFirstBin = firstStrip == 0 ? 1 : 0;
    if (!pair) {
        dspMulAccumulateSplitSpectra(runRows.get(), runCells.get(), runLengths.get(), runs, sum, bins, historyStride,
                                     cellStride, realFirstBin);
        return;
    }
    // The second output has the same inputs' cells, so its runs lie alike in its row.
    const float* otherCellRows = cellsOf(output + 1);
    for (int t = 0; t < runs; ++t)
        otherRunCells[t] = otherCellRows + (runCells[t] - cellRows);
    dspMulAccumulateSplitSpectraPair(runRows.get(), runCells.get(), otherRunCells.get(), runLengths.get(), runs, sum,
                                     otherSum, bins, historyStride, cellStride, realFirstBin);
}

void BRPartitionedConvolver::accumulateOlderPartitions(int firstStrip, int endStrip)
{
    // Per bin the sums run through the inputs in order, each over its
    // partitions from the last down to 1. A group's block of inputs meets
    // every output in turn, its history rows held in the first-level cache,
    // while the outputs' cells of it stream past in the arena's order.
    // Partition d meets history row c + 1 − d (mod R, R = P − 1 rows, c =
    // lastRow): rows c + 1 … R − 1 meet partitions P − 1 … c + 2, then rows
    // 0 … c partitions c + 1 … 1.
    settleNewest();
    if (olderRows() < 1)
        return;
    const int bins = std::max(1, n / 2);
    for (int first = firstStrip; first < endStrip;) {
        const int end = std::min(endStrip, (first / groupStrips + 1) * groupStrips);
        const int groupBins = std::min(bins, end * kStripBins) - first * kStripBins;
        auto groupSums = [&](int o) { return sums.data() + (std::int64_t{o} * strips + first) * kRowFloats; };
        for (int o = 0; o < outputs; ++o)
            zeroFloats(groupSums(o), std::int64_t{end - first} * kRowFloats);
        // Outputs go in pairs where their cells are of the same inputs: each
        // history row is then read once for both.
        for (int firstInput = 0; firstInput < inputs; firstInput += blockInputs) {
            const InputBlock block{firstInput, std::min(inputs, firstInput + blockInputs)};
            for (int o = 0; o < outputs;) {
                const bool pair = o + 1 < outputs && sameInputsPresent(o, o + 1);
                sumRow(o, pair, true, block, first, groupBins, groupSums(o), pair ? groupSums(o + 1) : nullptr);
                o += pair ? 2 : 1;
            }
        }
        first = end;
    }
}

void BRPartitionedConvolver::addNewestPartition(int output, bool pair)
{
    const std::int64_t spectrumFloats = std::int64_t{strips} * kRowFloats;
    for (int k = 0; k < (pair ? 2 : 1); ++k)
        dspCopy(sums.data() + (output + k) * spectrumFloats, hopSums.data() + k * spectrumFloats,
                static_cast<int>(spectrumFloats));
    sumRow(output, pair, false, {0, inputs}, 0, std::max(1, n / 2), hopSums.data(), hopSums.data() + spectrumFloats);
}

bool BRPartitionedConvolver::sameInputsPresent(int output, int otherOutput) const
{
    const bool* row = order.present.get() + std::int64_t{output} * inputs;
    return order.counts[output] > 0 &&
           std::equal(row, row + inputs, order.present.get() + std::int64_t{otherOutput} * inputs);
}

int BRPartitionedConvolver::olderStripsDueAt(int filled) const
{
    // Shared so that each call of a hop carries about as much: the one that
    // ends the hop takes what its own work leaves of its share, the calls
    // before it the rest. Its own work, partition 0's products and a transform
    // per input and output, each about as much as ten cells' partitions,
    // counts against the older partitions' products.
    const int beforeLastCall = n / 2 - b;
    if (beforeLastCall <= 0 || olderRows() < 1 || order.total < 1)
        return strips;
    const double calls = static_cast<double>(n / 2) / b;
    const double lastCallsOwn = static_cast<double>(order.total + kTransformCells * (inputs + outputs)) /
                                (static_cast<double>(order.total) * olderRows());
    const double lastCallsOlder = std::max(0.0, (1.0 + lastCallsOwn) / calls - lastCallsOwn);
    const double span = beforeLastCall / (1.0 - lastCallsOlder);
    return std::min(strips, static_cast<int>(std::ceil(strips * (filled / span))));
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
        splitIntoRows(spectrum.data(), newest.data() + std::int64_t{i} * kRowFloats, std::int64_t{inputs} * kRowFloats,
                      h);
        if (!partial)
            dspCopy(frame + h, frame, h);
    }
    const float scale = static_cast<float>(1.0 / n);
    for (int o = 0; o < outputs;) {
        const bool pair = o + 1 < outputs && sameInputsPresent(o, o + 1);
        addNewestPartition(o, pair);
        for (int k = 0; k < (pair ? 2 : 1); ++k) {
            float* result = results.data() + std::int64_t{o + k} * n;
            packFromRows(hopSums.data() + std::int64_t{k} * strips * kRowFloats, kRowFloats, h, spectrum.data());
            dspRealFftInverse(spectrum.data(), result, spec.get(), work);
            dspMulConstInPlace(scale, result, n);
        }
        o += pair ? 2 : 1;
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
