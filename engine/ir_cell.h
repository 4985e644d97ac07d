#pragma once

#include <cstdint>

#include "engine/aligned_floats.h"
#include "engine/sound_file.h"

// The longest IR a cell takes, in samples (about 44 s at 48 kHz).
constexpr std::int64_t kMaxCellSamples = std::int64_t{1} << 21;

// The number of hop-sized partitions of an IR of length samples: length / hop,
// plus one for a remainder. hop ≥ 1.
constexpr std::int64_t ceilDiv(std::int64_t length, std::int64_t hop)
{
    return length / hop + (length % hop > 0 ? 1 : 0);
}

// One cell of the IR matrix: the IR's samples (one channel, in the sound-file
// holder's buffer) and, once an FFT set-up exists, its partition spectra.
// Changed only on the message thread, and only while the audio thread does not
// read the matrix (the loaded-cell count below complete, or processing suspended).
struct BRIrCell : BRSoundFile {
    // partitionCount spectra of N floats each, in the NyquistSecond layout:
    // spectrum p is the FFT of IR samples p·H … p·H + H − 1 followed by H zeros.
    // They lie last first, so that a hop's sum, which takes them from a newer
    // partition to an older one, reads memory forwards.
    BRAlignedFloats partitions;
    int partitionCount = 0;

    bool holdsSamples() const { return buffer != nullptr && frameCount > 0; }
    bool holdsSpectra() const { return partitions.data() != nullptr; }

    // Spectrum p of a cell partitioned with FFT size n. Any thread.
    const float* partition(int p, int n) const { return partitions.data() + std::int64_t{partitionCount - 1 - p} * n; }

    // Releases the spectra; partitionCount keeps its value.
    void freePartitions();

    // Empties the cell: samples released, file closed, spectra released.
    void unload();

    // Replaces the spectra by those of the first irLength samples for FFT size n
    // (a power of two ≥ 2; the hop is n / 2). Only the cell's own samples are read:
    // a shorter IR counts as zero-padded to irLength. False, with the cell as it
    // was, when memory runs out or the transform refuses. work is null or holds
    // the FFT spec's buffer size, and nobody else uses it meanwhile. Allocates.
    bool partitionImpulse(int n, int irLength, const dspRealFftSpec* spec, void* work);
};
