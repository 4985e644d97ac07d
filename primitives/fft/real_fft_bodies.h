#pragma once

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/fft/large_bodies.h"

struct dspRealFftSpec;

// The transform bodies of every class, with the contracts of the entries in
// real_fft.h. A class's bodies read only records built under that class.
DSP_DECLARE_IN_EVERY_CLASS(
    int realFftForward(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer);
    int realFftInverse(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer);
    // The forward transform followed by the move of R(N/2) to the end.
    int realFftForwardNyquistLast(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer);
    int realFftForwardNyquistLastInPlace(float* srcDst, const dspRealFftSpec* spec, void* buffer);
)
