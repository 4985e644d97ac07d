#pragma once

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/fft/large_plan.h"

struct dspRealFftSpec;

// The complex FFT of H = 2^h points above the plan's in-cache limit, from src
// (interleaved) to dst (interleaved, natural order), src equal to dst or not
// overlapping it; any float alignment. Forward e^(-2 pi i nk/H), inverse
// e^(+2 pi i nk/H), unnormalised but multiplied once by the FFT spec's factor when
// its scaling switch for the direction is on. plan is the one the FFT spec's
// tables were laid for: the class's own in every transform. work is 32-byte
// aligned and holds the FFT spec's workSize bytes. Reads only the FFT spec;
// wait-free, no allocation.
DSP_DECLARE_IN_EVERY_CLASS(
    void complexFftLarge(const dsp::fft::LargeFftPlan& plan, const dspRealFftSpec* spec, const float* src,
                         float* dst, int h, void* work);
    void complexIfftLarge(const dsp::fft::LargeFftPlan& plan, const dspRealFftSpec* spec, const float* src,
                          float* dst, int h, void* work);
)
