#include "engine/ir_cell.h"

#include <utility>

void BRIrCell::freePartitions()
{
    partitions.release();
    spectraInConvolver = false;
}

void BRIrCell::unload()
{
    freePartitions();
    release();
    frameCount = 0;
}

bool BRIrCell::partitionImpulse(const BRPartitionedConvolver& convolver, int irLength)
{
    BRAlignedFloats spectra;
    const float* samples = holdsSamples() ? buffer.get() : nullptr;
    if (!convolver.makeCellSpectra(samples, frameCount, irLength, spectra))
        return false;
    partitions = std::move(spectra);
    spectraInConvolver = false;
    partitionCount = static_cast<int>(ceilDiv(irLength, convolver.hopSize()));
    return true;
}
