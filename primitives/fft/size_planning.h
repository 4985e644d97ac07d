#pragma once

#include <cstdint>

#include "primitives/fft/fft_class.h"

// Memory of a real-FFT record, planned per processor class. Byte counts are 64-bit:
// from order 28 on the FFT record block passes 2^31 bytes.
struct dspFftSizes {
    std::int64_t spec;     // record block (header, tables, 32 bytes of alignment slack)
    std::int64_t scratch;  // initialisation scratch
    std::int64_t work;     // work buffer of one transform
};

// The share of the large path for h = order - 1 above the class's direct limit:
// the tables after the bit-reversal area, the scratch after the base table, the
// work without slack.
dspFftSizes dspRealFftLargeSizes(int cpuClass, int h);
dspFftSizes dspRealFftLargeSizes(const dsp::fft::FftClass& cls, int h);

// The whole record of one order, as the size query reports it (slack included).
dspFftSizes dspRealFftSpecSizes(int cpuClass, int order);
