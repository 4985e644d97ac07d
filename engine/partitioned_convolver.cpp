#include "engine/partitioned_convolver.h"

#include <algorithm>
#include <limits>
#include <new>

#include "engine/denormal_guard.h"
#include "primitives/dsp.h"

namespace {

// One group of strips takes every input's history rows of the group to every
// output. Between two outputs' reads of a history row pass the group's other
// history rows and a pair of outputs' cells of the group, at most twice the
// history: all of it within three quarters of a second-level cache of 512 KB,
// or the history comes again from further out for every pair.
constexpr std::int64_t kGroupBytes = 384 * 1024;
constexpr std::int64_t kGroupHistories = 3;

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
    const auto cellCount = static_cast<std::size_t>(std::int64_t{inputCount} * outputCount);
    const std::int64_t spectrumFloats = std::int64_t{stripsOf(fftSize)} * kRowFloats;
    // Two runs per input: the history ring wraps.
    const auto runCount = static_cast<std::size_t>(2 * inputCount);
    std::unique_ptr<BRAlignedFloats[]> newOutputCells(new (std::nothrow) BRAlignedFloats[outputCount]);
    std::unique_ptr<bool[]> newPresent(new (std::nothrow) bool[cellCount]());
    std::unique_ptr<int[]> newPresentCounts(new (std::nothrow) int[outputCount]());
    std::unique_ptr<const float*[]> newRunRows(new (std::nothrow) const float*[runCount]());
    std::unique_ptr<const float*[]> newRunCells(new (std::nothrow) const float*[runCount]());
    std::unique_ptr<const float*[]> newOtherRunCells(new (std::nothrow) const float*[runCount]());
    std::unique_ptr<int[]> newRunLengths(new (std::nothrow) int[runCount]());
    if (newOutputCells == nullptr || newPresent == nullptr || newPresentCounts == nullptr || newRunRows == nullptr ||
        newRunCells == nullptr || newOtherRunCells == nullptr || newRunLengths == nullptr ||
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
    outputCells = std::move(newOutputCells);
    present = std::move(newPresent);
    presentCounts = std::move(newPresentCounts);
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
        // A single partition needs no history beside the newest spectra.
        BRAlignedFloats histories;
        if (count > 1 && !histories.allocateZeroed(std::int64_t{inputs} * strips * (count - 1) * kRowFloats))
            return false;
        history = std::move(histories);
        partitions = count;
        for (int o = 0; o < outputs; ++o) {
            outputCells[o].release();
            presentCounts[o] = 0;
        }
        std::fill_n(present.get(), std::int64_t{inputs} * outputs, false);
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

BRPartitionedConvolver::SlicePlace BRPartitionedConvolver::slicePlace(int slice, int count, int index) const
{
    if (slice < strips)
        return {std::int64_t{slice} * kRowFloats,
                (std::int64_t{strips} * olderRows() * count + std::int64_t{slice} * count + index) * kRowFloats,
                kRowFloats};
    const int strip = slice - strips;
    const std::int64_t older = std::int64_t{olderRows()} * kRowFloats;
    return {(std::int64_t{strips} + std::int64_t{strip} * olderRows()) * kRowFloats,
            (std::int64_t{strip} * count + index) * older, static_cast<int>(older)};
}

int BRPartitionedConvolver::presentBefore(int output, int input) const
{
    const bool* row = present.get() + std::int64_t{output} * inputs;
    return static_cast<int>(std::count(row, row + input, true));
}

bool BRPartitionedConvolver::hasCell(int output, int input) const
{
    return present != nullptr && output >= 0 && output < outputs && input >= 0 && input < inputs &&
           present[static_cast<std::size_t>(output) * inputs + input];
}

void BRPartitionedConvolver::arrangeRow(int output, const bool* wanted, BRAlignedFloats& row)
{
    const bool* was = present.get() + std::int64_t{output} * inputs;
    const int oldCount = presentCounts[output];
    const int count = static_cast<int>(std::count(wanted, wanted + inputs, true));
    int oldIndex = 0, index = 0;
    for (int i = 0; i < inputs; ++i) {
        if (was[i] && wanted[i])
            for (int q = 0; q < sliceCount(); ++q) {
                const SlicePlace from = slicePlace(q, oldCount, oldIndex), to = slicePlace(q, count, index);
                dspCopy(outputCells[output].data() + from.rowOffset, row.data() + to.rowOffset, from.floats);
            }
        oldIndex += was[i] ? 1 : 0;
        index += wanted[i] ? 1 : 0;
    }
    outputCells[output] = std::move(row);
    std::copy_n(wanted, inputs, present.get() + std::int64_t{output} * inputs);
    presentCounts[output] = count;
}

bool BRPartitionedConvolver::arrangeCells(const bool* wanted)
{
    if (partitions < 1)
        return false;
    // Every row that changes gets its memory before any changes.
    std::unique_ptr<BRAlignedFloats[]> fresh(new (std::nothrow) BRAlignedFloats[outputs]);
    if (fresh == nullptr)
        return false;
    auto changes = [&](int o) {
        const std::int64_t first = std::int64_t{o} * inputs;
        return !std::equal(wanted + first, wanted + first + inputs, present.get() + first);
    };
    for (int o = 0; o < outputs; ++o) {
        const int count = static_cast<int>(
            std::count(wanted + std::int64_t{o} * inputs, wanted + std::int64_t{o + 1} * inputs, true));
        if (changes(o) && count > 0 && !fresh[o].allocateZeroed(rowFloats(count)))
            return false;
    }
    for (int o = 0; o < outputs; ++o)
        if (changes(o))
            arrangeRow(o, wanted + std::int64_t{o} * inputs, fresh[o]);
    olderDone = 0;  // the sums so far hold the old cells' products
    return true;
}

bool BRPartitionedConvolver::setCell(int output, int input, const float* spectra)
{
    if (partitions < 1 || output < 0 || output >= outputs || input < 0 || input >= inputs)
        return false;
    if (hasCell(output, input) != (spectra != nullptr)) {
        std::unique_ptr<bool[]> wanted(new (std::nothrow) bool[static_cast<std::size_t>(inputs) * outputs]);
        if (wanted == nullptr)
            return false;
        std::copy_n(present.get(), std::int64_t{inputs} * outputs, wanted.get());
        wanted[static_cast<std::size_t>(output) * inputs + input] = spectra != nullptr;
        if (!arrangeCells(wanted.get()))
            return false;
    }
    olderDone = 0;  // the sums so far hold the old cell's products
    if (spectra == nullptr)
        return true;
    const int count = presentCounts[output], index = presentBefore(output, input);
    for (int q = 0; q < sliceCount(); ++q) {
        const SlicePlace place = slicePlace(q, count, index);
        dspCopy(spectra + place.cellOffset, outputCells[output].data() + place.rowOffset, place.floats);
    }
    return true;
}

bool BRPartitionedConvolver::copyCell(int output, int input, BRAlignedFloats& spectra) const
{
    BRAlignedFloats copy;
    if (!hasCell(output, input) || !copy.allocateZeroed(std::int64_t{strips} * partitions * kRowFloats))
        return false;
    const int count = presentCounts[output], index = presentBefore(output, input);
    for (int q = 0; q < sliceCount(); ++q) {
        const SlicePlace place = slicePlace(q, count, index);
        dspCopy(outputCells[output].data() + place.rowOffset, copy.data() + place.cellOffset, place.floats);
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
    const bool* row = present.get() + std::int64_t{output} * inputs;
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
    const std::int64_t cellsFirst =
        (std::int64_t{firstStrip} * presentInputs(output) + presentBefore(output, block.first)) * rowsPerInput *
        kRowFloats;
    auto cellsOf = [&](int o) { return (olderPartitions ? olderCells(o) : newestCells(o)) + cellsFirst; };
    const float* cellRows = cellsOf(output);
    const int runs = fillRuns(output, block, historyRows, cellRows, rowsPerInput, olderPartitions ? lastRow + 1 : 1,
                              runCells.get());
    if (runs == 0)
        return;
    const int historyStride = inputs * rowsPerInput * kRowFloats;
    const int cellStride = presentInputs(output) * rowsPerInput * kRowFloats;
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
    // partitions from the last down to 1. A group of strips takes every
    // input's history rows of the group, which stay in the second-level cache,
    // to every output in turn, while each output's row of cells streams past
    // front to back. Partition d meets history row c + 1 − d (mod R, R = P − 1
    // rows, c = lastRow): rows c + 1 … R − 1 meet partitions P − 1 … c + 2,
    // then rows 0 … c partitions c + 1 … 1.
    settleNewest();
    const int rows = olderRows();
    if (rows < 1)
        return;
    // Strips in a group while all inputs fit, else one strip and inputs in blocks that fit.
    const std::int64_t inputBytes = kGroupHistories * rows * kRowFloats * std::int64_t{sizeof(float)};
    const std::int64_t groupStrips = std::max<std::int64_t>(1, kGroupBytes / (inputBytes * inputs));
    const std::int64_t blocks = ceilDiv(inputs, std::max<std::int64_t>(1, kGroupBytes / inputBytes));
    const int blockInputs = static_cast<int>(ceilDiv(inputs, blocks));
    const int bins = std::max(1, n / 2);
    for (int first = firstStrip; first < endStrip;) {
        const int end = static_cast<int>(std::min<std::int64_t>(endStrip, first + groupStrips));
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
    const bool* row = present.get() + std::int64_t{output} * inputs;
    return presentCounts[output] > 0 &&
           std::equal(row, row + inputs, present.get() + std::int64_t{otherOutput} * inputs);
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
