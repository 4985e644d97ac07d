#pragma once

// The real post-processing (half-size complex spectrum to the real spectrum)
// and pre-processing (its inverse) of the vector classes. Included inside a
// class namespace after vector_plan.h and <xmmintrin.h>.
//
// A step takes slots k = 4g+1 .. 4g+4 and their mirrors H-k, four pairs in the
// lanes, in the lane order of the class's twiddle blocks: k, k+1, k+2, k+3, or
// k+1, k, k+3, k+2. Every class computes the same operations in the same order,
// so the results agree bit for bit across the vector classes.

namespace vector_fft {

// The eight slots of one step: low slots 4g+1 .. 4g+4 (at low), mirrors
// H-4g-4 .. H-4g-1 (at mirror), as real and imaginary lane vectors.
struct RealSplitSlots {
    __m128 a, b;  // Re, Im of the low slots
    __m128 c, d;  // Re, Im of the mirrors
};

template <bool Natural>
inline RealSplitSlots loadSlots(const float* low, const float* mirror)
{
    const __m128 l0 = _mm_loadu_ps(low), l1 = _mm_loadu_ps(low + 4);
    const __m128 m0 = _mm_loadu_ps(mirror), m1 = _mm_loadu_ps(mirror + 4);
    // Lane i of the mirrors pairs with lane i of the low slots: slot 4g+1 with H-4g-1 (m1 high half).
    if (Natural)
        return {_mm_shuffle_ps(l0, l1, _MM_SHUFFLE(2, 0, 2, 0)), _mm_shuffle_ps(l0, l1, _MM_SHUFFLE(3, 1, 3, 1)),
                _mm_shuffle_ps(m1, m0, _MM_SHUFFLE(0, 2, 0, 2)), _mm_shuffle_ps(m1, m0, _MM_SHUFFLE(1, 3, 1, 3))};
    return {_mm_shuffle_ps(l0, l1, _MM_SHUFFLE(0, 2, 0, 2)), _mm_shuffle_ps(l0, l1, _MM_SHUFFLE(1, 3, 1, 3)),
            _mm_shuffle_ps(m1, m0, _MM_SHUFFLE(2, 0, 2, 0)), _mm_shuffle_ps(m1, m0, _MM_SHUFFLE(3, 1, 3, 1))};
}

// The two slots of a pair in the other order.
inline __m128 swapSlots(__m128 pair) { return _mm_shuffle_ps(pair, pair, _MM_SHUFFLE(1, 0, 3, 2)); }

// Writes the low slots (re, im) and the mirrors (mr, mi) as four slot pairs in
// memory order. On the last step the slot H/2, which stands in both halves
// (last low slot, first mirror), is left alone.
template <bool Natural>
inline void storeSlots(float* low, float* mirror, __m128 re, __m128 im, __m128 mr, __m128 mi, bool last)
{
    const __m128 lanes01 = _mm_unpacklo_ps(re, im), lanes23 = _mm_unpackhi_ps(re, im);
    const __m128 mirror01 = _mm_unpacklo_ps(mr, mi), mirror23 = _mm_unpackhi_ps(mr, mi);
    const __m128 low0 = Natural ? lanes01 : swapSlots(lanes01);     // slots 4g+1, 4g+2
    const __m128 low1 = Natural ? lanes23 : swapSlots(lanes23);     // 4g+3, 4g+4
    const __m128 high0 = Natural ? swapSlots(mirror23) : mirror23;  // H-4g-4, H-4g-3
    const __m128 high1 = Natural ? swapSlots(mirror01) : mirror01;  // H-4g-2, H-4g-1
    _mm_storeu_ps(low, low0);
    _mm_storeu_ps(mirror + 4, high1);
    if (last) {
        _mm_storel_pi(reinterpret_cast<__m64*>(low + 4), low1);
        _mm_storeh_pi(reinterpret_cast<__m64*>(mirror + 2), high0);
    } else {
        _mm_storeu_ps(low + 4, low1);
        _mm_storeu_ps(mirror, high0);
    }
}

// Forward: Z (the half-size transform) in data to the real spectrum, slots 1 .. H-1.
template <const VectorFftPlan& P>
void realForwardPost(float* data, int H, const float* twiddles)
{
    const int steps = H / 8;
    for (int g = 0; g < steps; ++g, twiddles += 8) {
        float* low = data + 8 * g + 2;
        float* mirror = data + 2 * H - 8 * g - 8;
        const RealSplitSlots s = loadSlots<P.naturalRealLanes>(low, mirror);
        const __m128 tr = _mm_load_ps(twiddles), ti = _mm_load_ps(twiddles + 4);
        const __m128 diff = _mm_sub_ps(s.a, s.c);
        const __m128 sum = _mm_add_ps(s.b, s.d);
        const __m128 p = _mm_add_ps(_mm_mul_ps(ti, diff), _mm_mul_ps(tr, sum));
        const __m128 q = _mm_sub_ps(_mm_mul_ps(ti, sum), _mm_mul_ps(tr, diff));
        storeSlots<P.naturalRealLanes>(low, mirror, _mm_add_ps(s.c, p), _mm_sub_ps(q, s.d), _mm_sub_ps(s.a, p),
                                       _mm_sub_ps(q, s.b), g == steps - 1);
    }
    // The middle slot is conj(Z[H/2]).
    data[H + 1] = -data[H + 1];
}

// Inverse: the real spectrum in src (slots 1 .. H-1) to 2 Z in dst. src may be dst.
template <const VectorFftPlan& P>
void realInversePre(const float* src, float* dst, int H, const float* twiddles)
{
    const float twiceImag = 2.0f * src[H + 1];
    dst[H] = 2.0f * src[H];
    dst[H + 1] = P.middleImagFromZero ? 0.0f - twiceImag : -twiceImag;
    const int steps = H / 8;
    for (int g = 0; g < steps; ++g, twiddles += 8) {
        const RealSplitSlots s = loadSlots<P.naturalRealLanes>(src + 8 * g + 2, src + 2 * H - 8 * g - 8);
        const __m128 tr = _mm_load_ps(twiddles), ti = _mm_load_ps(twiddles + 4);
        const __m128 diff = _mm_sub_ps(s.a, s.c);
        const __m128 sum = _mm_add_ps(s.b, s.d);
        const __m128 pp = _mm_sub_ps(_mm_mul_ps(ti, diff), _mm_mul_ps(tr, sum));
        const __m128 qq = _mm_add_ps(_mm_mul_ps(tr, diff), _mm_mul_ps(ti, sum));
        const __m128 reSum = _mm_add_ps(s.a, s.c);
        const __m128 imDiff = _mm_sub_ps(s.b, s.d);
        storeSlots<P.naturalRealLanes>(dst + 8 * g + 2, dst + 2 * H - 8 * g - 8, _mm_add_ps(reSum, pp),
                                       _mm_add_ps(imDiff, qq), _mm_sub_ps(reSum, pp), _mm_sub_ps(qq, imDiff),
                                       g == steps - 1);
    }
}

}  // namespace vector_fft
