#pragma once

// Complex arithmetic on 4-lane single-precision vectors, shared by the vector
// classes' FFT kernels. Included inside a class namespace after <xmmintrin.h>
// and fft_direction.h: it uses SSE instructions only, so class 1 can include it too, and every
// operation rounds to single precision as it goes.

namespace vector_fft {

inline bool isAligned16(const void* p) { return (reinterpret_cast<std::uintptr_t>(p) & 15) == 0; }

// Four complex values in the split layout: four real parts, four imaginary parts.
struct Split4 {
    __m128 re;
    __m128 im;
};

// Two complex values, interleaved: re0, im0, re1, im1.
struct Pair2 {
    __m128 v;
};

inline Split4 operator+(Split4 a, Split4 b) { return {_mm_add_ps(a.re, b.re), _mm_add_ps(a.im, b.im)}; }
inline Split4 operator-(Split4 a, Split4 b) { return {_mm_sub_ps(a.re, b.re), _mm_sub_ps(a.im, b.im)}; }
inline Pair2 operator+(Pair2 a, Pair2 b) { return {_mm_add_ps(a.v, b.v)}; }
inline Pair2 operator-(Pair2 a, Pair2 b) { return {_mm_sub_ps(a.v, b.v)}; }

// a - i*b and a + i*b. In the split layout the rotation is a free exchange of
// the parts; interleaved it is a lane swap and a sign mask.
inline Split4 minusTimesI(Split4 a, Split4 b) { return {_mm_add_ps(a.re, b.im), _mm_sub_ps(a.im, b.re)}; }
inline Split4 plusTimesI(Split4 a, Split4 b) { return {_mm_sub_ps(a.re, b.im), _mm_add_ps(a.im, b.re)}; }

// i*b for two interleaved values: (-im, re) per value.
inline __m128 timesI(__m128 b)
{
    const __m128 signOfRealLanes = _mm_set_ps(0.0f, -0.0f, 0.0f, -0.0f);
    return _mm_xor_ps(_mm_shuffle_ps(b, b, _MM_SHUFFLE(2, 3, 0, 1)), signOfRealLanes);
}
inline Pair2 minusTimesI(Pair2 a, Pair2 b) { return {_mm_sub_ps(a.v, timesI(b.v))}; }
inline Pair2 plusTimesI(Pair2 a, Pair2 b) { return {_mm_add_ps(a.v, timesI(b.v))}; }

// x * w (forward) or x * conj(w) (inverse) for a factor w = (cos, -sin) held as
// two lane vectors.
template <FftDirection D>
inline Split4 twiddle(Split4 x, __m128 wr, __m128 wi)
{
    if (D == FftDirection::Forward)
        return {_mm_sub_ps(_mm_mul_ps(x.re, wr), _mm_mul_ps(x.im, wi)),
                _mm_add_ps(_mm_mul_ps(x.re, wi), _mm_mul_ps(x.im, wr))};
    return {_mm_add_ps(_mm_mul_ps(x.re, wr), _mm_mul_ps(x.im, wi)),
            _mm_sub_ps(_mm_mul_ps(x.im, wr), _mm_mul_ps(x.re, wi))};
}

// A twiddle vector pair as the tables store it: cos lanes, then -sin lanes.
template <FftDirection D>
inline Split4 twiddleFromTable(Split4 x, const float* record)
{
    return twiddle<D>(x, _mm_load_ps(record), _mm_load_ps(record + 4));
}

// The radix-4 butterfly on inputs already multiplied by their factors, the
// same for both lane types: y0 = (a+b) + (c+d), y2 = (a+b) - (c+d),
// y1 = (a-b) -+ i(c-d), y3 = (a-b) +- i(c-d) (upper sign forward).
template <FftDirection D, typename Lane>
inline void radix4(Lane& a, Lane& b, Lane& c, Lane& d)
{
    const Lane s = a + b;
    const Lane t = a - b;
    const Lane u = c + d;
    const Lane v = c - d;
    a = s + u;
    c = s - u;
    if (D == FftDirection::Forward) {
        b = minusTimesI(t, v);
        d = plusTimesI(t, v);
    } else {
        b = plusTimesI(t, v);
        d = minusTimesI(t, v);
    }
}

// The radix-2 butterfly with the factor already applied: (a, b) -> (a + b, a - b).
inline void radix2(Split4& a, Split4& b)
{
    const Split4 s = a + b;
    b = a - b;
    a = s;
}

// Working-array blocks: 16-byte aligned, real parts then imaginary parts.
inline Split4 loadBlock(const float* p) { return {_mm_load_ps(p), _mm_load_ps(p + 4)}; }
inline void storeBlock(float* p, Split4 x)
{
    _mm_store_ps(p, x.re);
    _mm_store_ps(p + 4, x.im);
}

// A block written to a caller's array of any float alignment, either as four
// interleaved points or unchanged.
inline void storeInterleaved(float* p, Split4 x)
{
    _mm_storeu_ps(p, _mm_unpacklo_ps(x.re, x.im));
    _mm_storeu_ps(p + 4, _mm_unpackhi_ps(x.re, x.im));
}
inline void storeSplit(float* p, Split4 x)
{
    _mm_storeu_ps(p, x.re);
    _mm_storeu_ps(p + 4, x.im);
}

// Two complex points loaded one by one, into the low and the high half.
inline Pair2 loadPoints(const float* low, const float* high)
{
    const __m128 zero = _mm_setzero_ps();
    return {_mm_loadh_pi(_mm_loadl_pi(zero, reinterpret_cast<const __m64*>(low)),
                         reinterpret_cast<const __m64*>(high))};
}

// Four pairs (quartet member e of quartets m and n in lanes 0-1 and 2-3) to
// the two quartets in the split layout.
inline void quartetsToBlocks(Pair2 y0, Pair2 y1, Pair2 y2, Pair2 y3, Split4& m, Split4& n)
{
    const __m128 m01 = _mm_unpacklo_ps(y0.v, y1.v);
    const __m128 m23 = _mm_unpacklo_ps(y2.v, y3.v);
    const __m128 n01 = _mm_unpackhi_ps(y0.v, y1.v);
    const __m128 n23 = _mm_unpackhi_ps(y2.v, y3.v);
    m = {_mm_movelh_ps(m01, m23), _mm_movehl_ps(m23, m01)};
    n = {_mm_movelh_ps(n01, n23), _mm_movehl_ps(n23, n01)};
}

}  // namespace vector_fft
