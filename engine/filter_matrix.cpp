#include <algorithm>
#include <new>
#include <utility>

#include "engine/filter.h"
#include "engine/xml_screen.h"
#include "primitives/dsp.h"

namespace {

// Frames read from a multichannel file at a time.
constexpr int kReadChunkFrames = 4096;

constexpr std::int64_t kMegabyte = std::int64_t{1} << 20;

const char* const kUnsupported = "Multichannel format unsupported.";
// The documents hold text: such a name would come back as another path.
const char* const kUnnamable = "The file name is not valid UTF-8, so a saved project could not find the file again.";

const char* const kNoSamples = "The file holds no samples.";
const char* const kWildSample =
    "The file holds a sample that is not a number, or one far beyond full scale: it would sound as noise or not "
    "at all.";
const char* const kNoMemory = "There is not enough memory for this file.";

juce::String notASoundFile(const juce::String& path) { return "This file does not open as a sound file:\n" + path; }

juce::String tooFewChannels(int channels, int needed)
{
    return "The file has " + juce::String(channels) + (channels == 1 ? " channel" : " channels") +
           ", where this set-up needs " + juce::String(needed) + ".";
}

}  // namespace

BRFilter::SuspensionWhileComplete::SuspensionWhileComplete(BRFilter& filter)
    : owner(filter), suspended(filter.allCellsLoaded())
{
    if (suspended)
        owner.suspendProcessing(true);
}

BRFilter::SuspensionWhileComplete::~SuspensionWhileComplete()
{
    if (suspended)
        owner.suspendProcessing(false);
}

void BRFilter::createMatrix()
{
    cells.resize(static_cast<std::size_t>(std::max(outputs, 0)));
    for (auto& row : cells)
        row.resize(static_cast<std::size_t>(std::max(inputs, 0)));
}

int BRFilter::cellsNeeded() const
{
    if (workingMode == BRWorkingMode::irOneToOne)
        return inputs == outputs ? inputs : -1;
    return inputs * outputs;
}

bool BRFilter::isNeededCell(int output, int input) const
{
    return workingMode != BRWorkingMode::irOneToOne || output == input;
}

bool BRFilter::allCellsLoaded() const
{
    const int needed = cellsNeeded();
    return needed > 0 && loadedCells.load(std::memory_order_acquire) == needed;
}

bool BRFilter::anyOffDiagonalIr() const
{
    for (int o = 0; o < outputs; ++o)
        for (int i = 0; i < inputs; ++i)
            if (o != i && (cells[o][i].holdsSamples() || cells[o][i].holdsSpectra()))
                return true;
    return false;
}

void BRFilter::recountLoadedCells()
{
    if (cellsFilledForOtherMode && !anyOffDiagonalIr())
        cellsFilledForOtherMode = false;
    const bool partitioned = !cellsFilledForOtherMode && partitionCount >= 1 &&
                             convolver.partitionCount() == partitionCount;
    // The cells that count, which the convolver is to hold alone.
    std::unique_ptr<bool[]> counted(new (std::nothrow) bool[static_cast<std::size_t>(inputs) * outputs]);
    if (counted == nullptr) {
        loadedCells.store(0, std::memory_order_release);
        return;
    }
    for (int o = 0; o < outputs; ++o)
        for (int i = 0; i < inputs; ++i) {
            BRIrCell& cell = cells[o][i];
            // Spectra the convolver let go of with another partition count are gone.
            if (cell.spectraInConvolver && !convolver.hasCell(o, i))
                cell.spectraInConvolver = false;
            const std::size_t at = static_cast<std::size_t>(o) * inputs + i;
            counted[at] = partitioned && isNeededCell(o, i) && cell.holdsSpectra() &&
                          cell.partitionCount == partitionCount;
            // A cell that stops counting takes its spectra back (or, short of memory, loses them).
            if (!counted[at] && cell.spectraInConvolver) {
                convolver.copyCell(o, i, cell.partitions);
                cell.spectraInConvolver = false;
            }
        }
    int count = 0;
    if (convolver.arrangeCells(counted.get()))
        for (int o = 0; o < outputs; ++o)
            for (int i = 0; i < inputs; ++i) {
                BRIrCell& cell = cells[o][i];
                const std::size_t at = static_cast<std::size_t>(o) * inputs + i;
                if (counted[at] && !cell.spectraInConvolver && convolver.setCell(o, i, cell.partitions.data())) {
                    cell.partitions.release();
                    cell.spectraInConvolver = true;
                }
                count += counted[at] && cell.spectraInConvolver ? 1 : 0;
            }
    // Release: the audio thread that sees the count also sees the cells it counts.
    loadedCells.store(count, std::memory_order_release);
}

void BRFilter::clearLoadedCells()
{
    const juce::ScopedLock lock(getCallbackLock());
    cellsFilledForOtherMode = false;
    loadedCells.store(0, std::memory_order_release);
}

bool BRFilter::setWorkingMode(BRWorkingMode mode)
{
    if (mode == BRWorkingMode::irOneToOne && inputs != outputs)
        return false;
    // The diagonal of a full matrix is no 1-To-1 matrix, nor the reverse.
    const bool needsChange = (mode == BRWorkingMode::irOneToOne) != (workingMode == BRWorkingMode::irOneToOne);
    // A block sees the new mode only with no cell counted, until the convolver
    // holds the cells that count in it.
    {
        const juce::ScopedLock lock(getCallbackLock());
        workingMode = mode;
        if (needsChange && anyOffDiagonalIr())
            cellsFilledForOtherMode = !cellsFilledForOtherMode;
        loadedCells.store(0, std::memory_order_release);
    }
    recountLoadedCells();
    return true;
}

void BRFilter::unloadCell(int output, int input)
{
    if (output < 0 || output >= outputs || input < 0 || input >= inputs)
        return;
    BRIrCell old;
    {
        const juce::ScopedLock lock(getCallbackLock());
        std::swap(old, cells[output][input]);
        loadedCells.store(0, std::memory_order_release);
    }
    // No block reads the convolver while its cells change.
    recountLoadedCells();
    old.unload();
}

void BRFilter::unloadAllCells()
{
    // The empty matrix is made before the lock and the full one freed after it:
    // the lock covers a pointer swap and the count, and no block reads the
    // convolver while its cells go.
    std::vector<std::vector<BRIrCell>> old(cells.size());
    for (std::size_t o = 0; o < old.size(); ++o)
        old[o].resize(cells[o].size());
    {
        const juce::ScopedLock lock(getCallbackLock());
        std::swap(old, cells);
        loadedCells.store(0, std::memory_order_release);
    }
    recountLoadedCells();
}

bool BRFilter::ensureHistories()
{
    if (hopSize < 1 || irSize < 1)
        return false;
    const std::int64_t wanted = ceilDiv(irSize, hopSize);
    if (wanted == partitionCount && convolver.partitionCount() == partitionCount)
        return true;
    if (!convolver.preparePartitions(static_cast<int>(wanted)))
        return false;
    partitionCount = static_cast<int>(wanted);
    return true;
}

std::int64_t BRFilter::spectraBytesFor(std::int64_t irLength) const
{
    // Before the first set-up the FFT size of the settings stands in for N.
    const int n = std::max(fftSize, 2);
    const std::int64_t cellsUsed = workingMode == BRWorkingMode::irOneToOne ? std::min(inputs, outputs)
                                                                            : std::int64_t{inputs} * outputs;
    return (cellsUsed + inputs) * ceilDiv(irLength, n / 2) * n * std::int64_t{sizeof(float)};
}

juce::String BRFilter::spectraOverBudget(std::int64_t irLength) const
{
    const std::int64_t bytes = spectraBytesFor(irLength);
    if (bytes <= kSpectraBudgetBytes)
        return {};
    return "These impulse responses would take " + juce::String((bytes + kMegabyte - 1) / kMegabyte) +
           " MB of spectra, more than the " + juce::String(kSpectraBudgetBytes / kMegabyte) +
           " MB the plug-in allows itself. Use shorter impulse responses or fewer channels.";
}

juce::String BRFilter::readMonoIr(BRIrCell& cell, const juce::String& path) const
{
    if (irSize < 1 || irSize > kMaxCellSamples || cell.open(path.toStdString(), SFM_READ) == nullptr)
        return notASoundFile(path);
    if (cell.info.channels != 1)
        return "The file has " + juce::String(cell.info.channels) + " channels, where a cell takes one.";
    if (cell.info.frames < 1)
        return kNoSamples;
    cell.frameCount = irSize;
    cell.allocateBuffer();
    if (cell.buffer == nullptr)
        return kNoMemory;
    cell.readAll();
    return allWithin(cell.buffer.get(), irSize, kMaxIrSampleMagnitude) ? juce::String() : juce::String(kWildSample);
}

bool BRFilter::loadMonoIrIntoCell(int output, int input, const juce::String& path)
{
    if (output < 0 || output >= outputs || input < 0 || input >= inputs)
        return false;
    if (!isValidUtf8(path)) {
        warnFileOpenError(kUnnamable);
        return false;
    }
    if (const juce::String overBudget = spectraOverBudget(irSize); overBudget.isNotEmpty()) {
        warnFileOpenError(overBudget);
        return false;
    }
    try {
        BRIrCell fresh;
        if (const juce::String refusal = readMonoIr(fresh, path); refusal.isNotEmpty()) {
            warnFileOpenError(refusal);
            return false;
        }
        if (convolver.isPrepared() && !fresh.partitionImpulse(convolver, irSize)) {
            warnFileOpenError(kNoMemory);
            return false;
        }
        {
            const SuspensionWhileComplete suspension(*this);
            if (convolver.isPrepared() && !ensureHistories()) {
                warnFileOpenError(kNoMemory);
                return false;
            }
            std::swap(fresh, cells[output][input]);
            recountLoadedCells();
        }
        return true;
    } catch (const std::bad_alloc&) {
        warnFileOpenError(kNoMemory);
        return false;
    }
}

void BRFilter::warnFileOpenError(const juce::String& why)
{
    if (showWarning)
        showWarning("File Open Error...", why);
}

juce::String BRFilter::readMultichannelIr(const juce::String& path, std::vector<BRIrCell>& fresh, int& newIrSize)
{
    const bool multi = workingMode == BRWorkingMode::irMulti;
    if (workingMode == BRWorkingMode::irOneToOne && inputs != outputs)
        return kUnsupported;
    BRSoundFile file;
    if (file.open(path.toStdString(), SFM_READ) == nullptr)
        return kUnsupported;
    const std::int64_t frames = file.info.frames;
    const int channels = file.info.channels;
    const int rows = multi ? outputs : std::min(inputs, outputs);
    const std::int64_t length = multi ? frames / std::max(inputs, 1) : frames;
    if (rows >= 1 && frames < 1)
        return kNoSamples;
    if (rows < 1 || length < 1 || length > kMaxCellSamples)
        return kUnsupported;
    if (channels < rows)
        return tooFewChannels(channels, rows);
    // Told before a sample is read: such a file would take the memory first.
    if (const juce::String overBudget = spectraOverBudget(length); overBudget.isNotEmpty())
        return overBudget;
    newIrSize = static_cast<int>(length);

    // Cells in row order: [o][i] for every input in IR multi, [c][c] otherwise.
    const int perRow = multi ? inputs : 1;
    fresh.resize(static_cast<std::size_t>(rows) * perRow);
    for (int o = 0; o < rows; ++o)
        for (int k = 0; k < perRow; ++k) {
            BRIrCell& cell = fresh[static_cast<std::size_t>(o) * perRow + k];
            cell.setPath(path.toStdString());
            cell.frameCount = newIrSize;
            cell.allocateEmpty(1);
            if (cell.buffer == nullptr)
                return kUnsupported;
        }

    // Chunk by chunk, so that only the cells hold the whole file.
    std::vector<float> interleaved(static_cast<std::size_t>(kReadChunkFrames) * channels);
    std::vector<float> planar(static_cast<std::size_t>(kReadChunkFrames) * channels);
    std::vector<float*> channelStarts(static_cast<std::size_t>(channels));
    for (int c = 0; c < channels; ++c)
        channelStarts[c] = planar.data() + static_cast<std::size_t>(c) * kReadChunkFrames;
    const std::int64_t usedFrames = std::int64_t{newIrSize} * perRow;
    for (std::int64_t first = 0; first < usedFrames;) {
        const int wanted = static_cast<int>(std::min<std::int64_t>(kReadChunkFrames, usedFrames - first));
        const sf_count_t got = sf_readf_float(file.handle, interleaved.data(), wanted);
        if (got < 1)
            break;  // a short file leaves the rest of the cells at 0.0
        dspDeinterleave(interleaved.data(), channels, static_cast<int>(got), channelStarts.data());
        for (int o = 0; o < rows; ++o)
            for (std::int64_t f = first; f < first + got;) {
                // Frame f of channel o is sample f mod irSize of the row's cell f / irSize.
                const std::int64_t k = f / newIrSize;
                const std::int64_t offset = f - k * newIrSize;
                const std::int64_t run = std::min<std::int64_t>(newIrSize - offset, first + got - f);
                BRIrCell& cell = fresh[static_cast<std::size_t>(o) * perRow + static_cast<std::size_t>(k)];
                dspCopy(channelStarts[o] + (f - first), cell.buffer.get() + offset, static_cast<int>(run));
                f += run;
            }
        first += got;
    }
    for (const auto& cell : fresh)
        if (!allWithin(cell.buffer.get(), newIrSize, kMaxIrSampleMagnitude))
            return kWildSample;
    return {};
}

bool BRFilter::installMultichannelCells(std::vector<BRIrCell>& fresh, int newIrSize)
{
    const bool multi = workingMode == BRWorkingMode::irMulti;
    const int perRow = multi ? inputs : 1;
    // The count is 0 from here on, so the audio thread reads no cell and no history.
    clearLoadedCells();
    irSize = newIrSize;
    partitionCount = 0;
    if (convolver.isPrepared() && !ensureHistories())
        return false;
    for (std::size_t n = 0; n < fresh.size(); ++n) {
        const int o = static_cast<int>(n) / perRow;
        const int i = multi ? static_cast<int>(n) % perRow : o;
        std::swap(cells[o][i], fresh[n]);
    }
    recountLoadedCells();
    return true;
}

bool BRFilter::loadMultichannelIrFile(const juce::String& path)
{
    const juce::String refusal = loadMultichannelIr(path);
    if (refusal.isNotEmpty())
        warnFileOpenError(refusal);
    return refusal.isEmpty();
}

juce::String BRFilter::loadMultichannelIr(const juce::String& path)
{
    if (!isValidUtf8(path))
        return kUnnamable;
    try {
        std::vector<BRIrCell> fresh;
        int newIrSize = 0;
        const juce::String refusal = readMultichannelIr(path, fresh, newIrSize);
        if (refusal.isNotEmpty())
            return refusal;
        if (convolver.isPrepared())
            for (auto& cell : fresh)
                if (!cell.partitionImpulse(convolver, newIrSize))
                    return kUnsupported;
        if (!installMultichannelCells(fresh, newIrSize))
            return kUnsupported;
        settings.lastSelMulti = path;
        return {};
    } catch (const std::bad_alloc&) {
        return kUnsupported;
    }
}
