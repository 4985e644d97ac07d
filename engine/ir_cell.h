#pragma once

#include <cstdint>

#include "engine/aligned_floats.h"
#include "engine/partitioned_convolver.h"
#include "engine/sound_file.h"

// The longest IR a cell takes, in samples (about 44 s at 48 kHz).
constexpr std::int64_t kMaxCellSamples = std::int64_t{1} << 21;

// The largest magnitude an IR sample may have (+144 dBFS): within it a hop's
// sums stay far inside the float range for any input at full scale; beyond it
// (a damaged file) the output could become infinite for as long as it plays.
constexpr float kMaxIrSampleMagnitude = 1 << 24;

// The most memory the spectra of a whole matrix may take (cells and input
// histories together): a 2 × 2 matrix of the longest IRs fits, an 8 × 8 one,
// which would need over a gigabyte and much more time per block than a block
// lasts, does not.
constexpr std::int64_t kSpectraBudgetBytes = std::int64_t{512} << 20;

// One cell of the IR matrix: the IR's samples (one channel, in the sound-file
// holder's buffer) and, once an FFT set-up exists, its partition spectra.
// Changed only on the message thread, and only while the audio thread does not
// read the matrix (the loaded-cell count below complete, or processing suspended).
struct BRIrCell : BRSoundFile {
    // partitionCount spectra in the convolver's layout: spectrum p is the FFT of
    // IR samples p·H … p·H + H − 1 followed by H zeros. Empty while the
    // convolver holds them (spectraInConvolver): one copy of a matrix is enough.
    BRAlignedFloats partitions;
    int partitionCount = 0;
    bool spectraInConvolver = false;

    bool holdsSamples() const { return buffer != nullptr && frameCount > 0; }
    bool holdsSpectra() const { return partitions.data() != nullptr || spectraInConvolver; }

    // Releases the spectra, the cell's own and its claim on the convolver's;
    // partitionCount keeps its value.
    void freePartitions();

    // Empties the cell: samples released, file closed, spectra released.
    void unload();

    // Replaces the spectra by the convolver's spectra of the first irLength
    // samples. Only the cell's own samples are read: a shorter IR counts as
    // zero-padded to irLength. False, with the cell as it was, when the convolver
    // is unprepared or memory runs out. Allocates.
    bool partitionImpulse(const BRPartitionedConvolver& convolver, int irLength);
};
