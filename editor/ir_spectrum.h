#pragma once

#include <memory>

#include "engine/aligned_floats.h"

// The rate bin frequencies assume while the host has not started the plug-in.
constexpr double kDefaultSpectrumRate = 44100.0;

// The magnitude spectrum of one IR, computed once and then only read. The
// waveform view that made it and the zoom view that shows it share it, so
// either may outlive the other and the cell whose samples it came from.
struct BRIrSpectrum {
    int binCount = 0;             // N / 2 for an FFT of N points
    BRAlignedFloats magnitudes;   // |X(k)| / N, bins 0 to binCount - 1
    BRAlignedFloats frequencies;  // k × rate / N in Hz, ascending from 0
};

// The spectrum of an IR of sampleCount samples whose first `available` lie at
// samples (the rest is silence), zero-padded to N = 2^(round(log2 sampleCount) + 1)
// points, so N > sampleCount. Bins are spaced for sampleRate, or for
// kDefaultSpectrumRate when that is not positive. Reads no sample past
// available; keeps no pointer to them. Null when sampleCount < 1, available < 0,
// or memory runs out. Message thread: allocates; transforms under the processor
// class in force.
std::shared_ptr<const BRIrSpectrum> computeIrSpectrum(const float* samples, int available, int sampleCount,
                                                      double sampleRate);
