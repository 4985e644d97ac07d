#pragma once

// The real-FFT transform bodies of the vector classes, written once over the
// class's plan. Included inside a class namespace after transform_frame_inl.h
// and the vector kernels. Orders 0 to 3 take the closed forms; from order 4 the
// N samples are H = N/2 complex points whose complex FFT runs fused with its bit
// reversal below the class's in-cache limit, as a bit reversal followed by the
// passes at the limit itself, and above it as the class's large transform
// (which scales as it goes); the real step follows (forward) or comes first
// (inverse). Scalar steps (checks, DC and Nyquist pair, scaling call) are
// the same in every class.

namespace vector_fft {

// Arguments in the order every transform tests them; the first failure returns.
inline int checkTransformArguments(const void* src, const void* dst, const dspRealFftSpec* spec)
{
    if (spec == nullptr)
        return dspErrNullPointer;
    if (spec->magic != dspRealFftSpecMagic)
        return dspErrNotFftSpec;
    if (src == nullptr || dst == nullptr)
        return dspErrNullPointer;
    return dspOk;
}

inline void runSmallTransform(const dspSmallFftTable& routines, const float* src, float* dst,
                              const dspRealFftSpec* spec, bool scaled)
{
    if (scaled)
        routines.scaled[spec->order](src, dst, spec->scaleFactor);
    else
        routines.unscaled[spec->order](src, dst);
}

template <const VectorFftPlan& P>
int forwardTransform(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer,
                     const dspSmallFftTable& small)
{
    const int checked = checkTransformArguments(src, dst, spec);
    if (checked != dspOk)
        return checked;
    if (spec->order <= 3) {
        runSmallTransform(small, src, dst, spec, spec->scaleForward == 1);
        return dspOk;
    }
    WorkArea work;
    if (!work.obtain(spec, buffer))
        return dspErrNoMemory;
    const int h = spec->order - 1;
    const int points = 1 << h;
    const float* twiddles = floatTableOf(spec, spec->twiddles);
    const std::int32_t* bitReverse = wordTableOf(spec, spec->bitReverseTable);
    float* area = static_cast<float*>(work.area);

    if (h > P.directLimit) {
        complexFftLarge(spec, src, dst, h, area);  // scales as it goes
    } else if (h < P.directLimit) {
        complexFused<P, FftDirection::Forward>(src, dst, points, twiddles, bitReverse, area);
    } else {
        if (src != dst)
            bitReverseCopyOf<P>(src, dst, points, bitReverse);
        else
            bitReverseInPlaceOf<P>(dst, points, bitReverse);
        complexPasses<P, FftDirection::Forward>(dst, points, twiddles, area, 1);
    }
    // Scaling the complex spectrum scales the real one: the real step is linear.
    if (spec->scaleForward == 1 && h <= P.directLimit)
        mulConstInPlace(spec->scaleFactor, dst, 2 * points);
    const float z0re = dst[0], z0im = dst[1];
    dst[0] = z0re + z0im;  // R(0)
    dst[1] = z0re - z0im;  // R(N/2)
    realForwardPost<P>(dst, points, floatTableOf(spec, spec->forwardPostTwiddles));
    return dspOk;
}

template <const VectorFftPlan& P>
int inverseTransform(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    const int checked = checkTransformArguments(src, dst, spec);
    if (checked != dspOk)
        return checked;
    if (spec->order <= 3) {
        runSmallTransform(cls_generic::smallFftTables.inverse, src, dst, spec, spec->scaleInverse == 1);
        return dspOk;
    }
    WorkArea work;
    if (!work.obtain(spec, buffer))
        return dspErrNoMemory;
    const int h = spec->order - 1;
    const int points = 1 << h;
    const float* twiddles = floatTableOf(spec, spec->twiddles);
    const std::int32_t* bitReverse = wordTableOf(spec, spec->bitReverseTable);
    float* area = static_cast<float*>(work.area);

    const float r0 = src[0], rHalf = src[1];
    dst[1] = r0 - rHalf;
    dst[0] = r0 + rHalf;
    realInversePre<P>(src, dst, points, floatTableOf(spec, spec->inversePreTwiddles));
    // From here on the work is in place on dst: src is never read again.
    if (h > P.directLimit) {
        complexIfftLarge(spec, dst, dst, h, area);  // scales as it goes
    } else if (h < P.directLimit) {
        complexFused<P, FftDirection::Inverse>(dst, dst, points, twiddles, bitReverse, area);
    } else {
        bitReverseInPlaceOf<P>(dst, points, bitReverse);
        complexPasses<P, FftDirection::Inverse>(dst, points, twiddles, area, 1);
    }
    if (spec->scaleInverse == 1 && h <= P.directLimit)
        mulConstInPlace(spec->scaleFactor, dst, 2 * points);
    return dspOk;
}

}  // namespace vector_fft
