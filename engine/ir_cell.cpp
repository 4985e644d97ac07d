#include "engine/ir_cell.h"

#include <algorithm>

#include "primitives/dsp.h"

void BRIrCell::freePartitions() { partitions.release(); }

void BRIrCell::unload()
{
    freePartitions();
    release();
    frameCount = 0;
}

bool BRIrCell::partitionImpulse(int n, int irLength, const dspRealFftSpec* spec, void* work)
{
    if (n < 2 || irLength < 1 || spec == nullptr)
        return false;
    const int hop = n / 2;
    const std::int64_t count = ceilDiv(irLength, hop);
    BRAlignedFloats spectra;
    if (!spectra.allocateZeroed(count * n))
        return false;

    const std::int64_t ownSamples = holdsSamples() ? std::min<std::int64_t>(frameCount, irLength) : 0;
    for (std::int64_t p = 0; p < count; ++p) {
        // Each slot starts as zeros: the hop's samples go in front, the rest pads.
        float* spectrum = spectra.data() + (count - 1 - p) * n;
        const std::int64_t first = p * hop;
        const std::int64_t taken = std::clamp<std::int64_t>(ownSamples - first, 0, hop);
        if (taken > 0)
            dspCopy(buffer.get() + first, spectrum, static_cast<int>(taken));
        if (dspRealFftForward(spectrum, spectrum, spec, work) != dspOk)
            return false;
    }
    partitions = std::move(spectra);
    partitionCount = static_cast<int>(count);
    return true;
}
