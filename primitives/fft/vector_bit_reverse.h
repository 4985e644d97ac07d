#pragma once

// Bit-reversal permutation of n complex values (8 bytes each) for the vector
// classes, moving bit patterns unchanged: through the pair list in class 1,
// through the index list in blocks in classes 2 to 5. Included inside a class
// namespace after <xmmintrin.h> and <cstdint>.
//
// Write an index x = t * n/2 + 2i + l (t the top bit, l the low bit); its
// reversal is l * n/2 + 2 rev(i) + t, rev reversing the middle bits.

#include "primitives/fft/pair_list_bit_reverse.h"

namespace vector_fft {

// Index list in blocks: the buffer is four quarters of blocks of four values;
// block k of the four quarters (sixteen values) goes as a unit to block rev(k),
// whose float offset in a quarter is word k: value e of quarter q lands at
// value s(q) of quarter s(e), s swapping two bits.

struct BitReverseUnit {
    __m128 v[8];  // quarter q: values 0-1 in v[2q], values 2-3 in v[2q+1]
};

inline BitReverseUnit loadUnit(const float* p, int quarterFloats)
{
    BitReverseUnit u;
    for (int q = 0; q < 4; ++q) {
        u.v[2 * q] = _mm_loadu_ps(p + q * quarterFloats);
        u.v[2 * q + 1] = _mm_loadu_ps(p + q * quarterFloats + 4);
    }
    return u;
}

inline void storeUnit(float* p, int quarterFloats, const BitReverseUnit& u)
{
    for (int q = 0; q < 4; ++q) {
        _mm_storeu_ps(p + q * quarterFloats, u.v[2 * q]);
        _mm_storeu_ps(p + q * quarterFloats + 4, u.v[2 * q + 1]);
    }
}

// Row Q of the result holds values [s(Q)] of the source rows 0, 2, 1, 3.
inline BitReverseUnit transposeUnit(const BitReverseUnit& r)
{
    BitReverseUnit d;
    d.v[0] = _mm_movelh_ps(r.v[0], r.v[4]);  // quarter 0: value 0 of rows 0, 2 | 1, 3
    d.v[1] = _mm_movelh_ps(r.v[2], r.v[6]);
    d.v[4] = _mm_movehl_ps(r.v[4], r.v[0]);  // quarter 2: value 1
    d.v[5] = _mm_movehl_ps(r.v[6], r.v[2]);
    d.v[2] = _mm_movelh_ps(r.v[1], r.v[5]);  // quarter 1: value 2
    d.v[3] = _mm_movelh_ps(r.v[3], r.v[7]);
    d.v[6] = _mm_movehl_ps(r.v[5], r.v[1]);  // quarter 3: value 3
    d.v[7] = _mm_movehl_ps(r.v[7], r.v[3]);
    return d;
}

inline void blockCopy(const float* src, float* dst, int n, const int* table, int gatherFrom)
{
    if (n == 8) {
        const __m128 a = _mm_loadu_ps(src), b = _mm_loadu_ps(src + 4);
        const __m128 c = _mm_loadu_ps(src + 8), d = _mm_loadu_ps(src + 12);
        _mm_storeu_ps(dst, _mm_movelh_ps(a, c));       // 0, 4
        _mm_storeu_ps(dst + 4, _mm_movelh_ps(b, d));   // 2, 6
        _mm_storeu_ps(dst + 8, _mm_movehl_ps(c, a));   // 1, 5
        _mm_storeu_ps(dst + 12, _mm_movehl_ps(d, b));  // 3, 7
        return;
    }
    const int quarter = n / 2;
    const int blocks = n / 16;
    if (n > gatherFrom) {
        for (int k = 0; k < blocks; ++k)
            storeUnit(dst + 8 * k, quarter, transposeUnit(loadUnit(src + table[k], quarter)));
    } else {
        for (int k = blocks - 1; k >= 0; --k)
            storeUnit(dst + table[k], quarter, transposeUnit(loadUnit(src + 8 * k, quarter)));
    }
}

inline void blockInPlace(float* data, int n, const int* table)
{
    if (n == 8) {
        swapComplexValues(data + 2, data + 8);
        swapComplexValues(data + 6, data + 12);
        return;
    }
    const int quarter = n / 2;
    for (int k = n / 16 - 1; k >= 0; --k) {
        const int partner = table[k];
        if (partner < 8 * k)
            continue;
        const BitReverseUnit mine = transposeUnit(loadUnit(data + 8 * k, quarter));
        if (partner == 8 * k) {
            storeUnit(data + 8 * k, quarter, mine);
        } else {
            const BitReverseUnit theirs = transposeUnit(loadUnit(data + partner, quarter));
            storeUnit(data + partner, quarter, mine);
            storeUnit(data + 8 * k, quarter, theirs);
        }
    }
}

// The class's two bodies.
template <const VectorFftPlan& P>
void bitReverseCopyOf(const float* src, float* dst, int n, const int* table)
{
    if (P.pairListBitReverse)
        pairListBitReverseCopy(src, dst, n, table);
    else
        blockCopy(src, dst, n, table, P.bitReverseGatherFrom);
}

template <const VectorFftPlan& P>
void bitReverseInPlaceOf(float* data, int n, const int* table)
{
    if (P.pairListBitReverse)
        pairListBitReverseInPlace(data, n, table);
    else
        blockInPlace(data, n, table);
}

}  // namespace vector_fft
