#pragma once

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/fft/large_plan.h"

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

// The complex FFT of H = 2^h points above the plan's in-cache limit, from src
// (interleaved) to dst (interleaved, natural order), src equal to dst or not
// overlapping it; any float alignment. Forward e^(-2 pi i nk/H), inverse
// e^(+2 pi i nk/H), unnormalised but multiplied once by the FFT record's factor when
// its scaling switch for the direction is on. plan is the one the FFT record's
// tables were laid for: the class's own in every transform. work is 32-byte
// aligned and holds the FFT record's workSize bytes. Reads only the FFT record;
// wait-free, no allocation.
DSP_DECLARE_IN_EVERY_CLASS(
    void complexFftLarge(const dsp::fft::LargeFftPlan& plan, const dspRealFftSpec* spec, const float* src,
                         float* dst, int h, void* work);
    void complexIfftLarge(const dsp::fft::LargeFftPlan& plan, const dspRealFftSpec* spec, const float* src,
                          float* dst, int h, void* work);
)
