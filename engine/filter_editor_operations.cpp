#include <utility>

#include "engine/filter.h"

void BRFilter::emptyMatrixInMode(BRWorkingMode mode)
{
    // Made and let go outside the lock: the audio thread never waits for memory.
    std::vector<std::vector<BRIrCell>> old(cells.size());
    for (std::size_t o = 0; o < cells.size(); ++o)
        old[o].resize(cells[o].size());
    {
        const juce::ScopedLock lock(getCallbackLock());
        workingMode = mode;
        cellsFilledForOtherMode = false;
        std::swap(old, cells);
        loadedCells.store(0, std::memory_order_release);
    }
    // The count is 0: no block touches the convolver while its cells go and
    // its frames and histories clear.
    recountLoadedCells();
    resetConvolution();
    for (auto& row : old)
        for (auto& cell : row)
            cell.unload();
}

void BRFilter::resetMatrix() { emptyMatrixInMode(workingMode); }

bool BRFilter::switchWorkingMode(BRWorkingMode mode)
{
    if (mode == BRWorkingMode::irOneToOne && inputs != outputs)
        return false;
    emptyMatrixInMode(mode);
    return true;
}

bool BRFilter::setIrSize(int samples)
{
    if (samples < fftSize || samples < 1 || samples > kMaxCellSamples)
        return false;
    // The audio thread reads the partition count.
    const juce::ScopedLock lock(getCallbackLock());
    irSize = samples;
    settings.irSize = samples;
    partitionCount = 0;
    return true;
}
