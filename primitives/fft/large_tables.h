#pragma once

#include "primitives/fft/fft_class.h"

struct dspRealFftSpec;

// Lays the tables of the large path of an H = 2^h-point complex FFT (h above
// the class's in-cache limit) into a record: the bit-reversal table at the FFT record's
// bitReverseTable, everything else from dst on (32-byte aligned), in the layout
// the class's large transforms read. Sets twiddles, outerTwiddles,
// columnTwiddles, stepTwiddles and workSize as the path needs them. base is the
// quarter-wave sine table of order m (= h + 1); scratch (32-byte aligned) holds
// the column scratch the size planning reserves. Returns the end of the last
// table, a multiple of 32. Record initialisation only; allocates nothing.
void* dspMakeLargeTables(const dsp::fft::FftClass& cls, dspRealFftSpec* spec, int h, const float* base, int m,
                         void* dst, void* scratch);
