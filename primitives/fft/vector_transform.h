#pragma once

// The real-FFT transform bodies of the vector classes, written once over the
// class's plan. Included inside a class namespace after transform_frame_inl.h
// and the vector kernels. Orders 0 to 3 take the closed forms; from order 4 the
// N samples are H = N/2 complex points whose complex FFT runs fused with its bit
// reversal below the class's in-cache limit, as a bit reversal followed by the
// passes at the limit itself, and above it as the class's large transform
// (which scales as it goes); the real step follows (forward) or comes first
// (inverse).

namespace vector_fft {

// The unscaled complex FFT of 2^h points at or below the class's in-cache
// limit, from src into dst (which may be src).
template <const VectorFftPlan& P, FftDirection D>
void complexInCache(const dspRealFftSpec* spec, const float* src, float* dst, int h, float* work)
{
    const int points = 1 << h;
    const float* twiddles = floatTableOf(spec, spec->twiddles);
    const std::int32_t* bitReverse = wordTableOf(spec, spec->bitReverseTable);
    if (h < P.large->directLimit) {
        complexFused<P, D>(src, dst, points, twiddles, bitReverse, work);
        return;
    }
    if (src != dst)
        bitReverseCopyOf<P>(src, dst, points, bitReverse);
    else
        bitReverseInPlaceOf<P>(dst, points, bitReverse);
    complexPasses<P, D>(dst, points, twiddles, work, 1);
}

template <const VectorFftPlan& P>
int forwardTransform(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer,
                     const dspSmallFftTable& closedForms)
{
    const auto steps = [&](int h, float* work) {
        const int points = 1 << h;
        if (h > P.large->directLimit) {
            complexFftLarge(*P.large, spec, src, dst, h, work);  // scales as it goes
        } else {
            complexInCache<P, FftDirection::Forward>(spec, src, dst, h, work);
            scaleComplexSpectrum(spec, FftDirection::Forward, dst, points);
        }
        sumAndDifference<float>(dst, dst);  // Z(0) becomes R(0), R(N/2)
        realForwardPost<P>(dst, points, floatTableOf(spec, spec->forwardPostTwiddles));
    };
    return runTransform(src, dst, spec, buffer, closedForms, FftDirection::Forward, steps);
}

template <const VectorFftPlan& P>
int inverseTransform(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    const auto steps = [&](int h, float* work) {
        const int points = 1 << h;
        sumAndDifference<float>(src, dst);
        realInversePre<P>(src, dst, points, floatTableOf(spec, spec->inversePreTwiddles));
        // From here on the work is in place on dst: src is never read again.
        if (h > P.large->directLimit) {
            complexIfftLarge(*P.large, spec, dst, dst, h, work);  // scales as it goes
        } else {
            complexInCache<P, FftDirection::Inverse>(spec, dst, dst, h, work);
            scaleComplexSpectrum(spec, FftDirection::Inverse, dst, points);
        }
    };
    return runTransform(src, dst, spec, buffer, cls_generic::smallFftTables.inverse, FftDirection::Inverse, steps);
}

}  // namespace vector_fft
