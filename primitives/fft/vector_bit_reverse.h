#pragma once

// Bit-reversal permutation of n complex values (8 bytes each) for the vector
// classes, moving bit patterns unchanged. Included inside a class namespace
// after <xmmintrin.h>.
//
// Write an index x = t * n/2 + 2i + l (t the top bit, l the low bit); its
// reversal is l * n/2 + 2 rev(i) + t, rev reversing the middle bits.

namespace vector_fft {

// ---- Pair list (class 1): pairs (4i, 4j) of i < j = rev(i), a 0, the
// self-mapped 4i, a 0. An entry e names value e/2 of each half.

inline void moveValue(float* dst, const float* src) { __builtin_memcpy(dst, src, 8); }

inline void swapValues(float* a, float* b)
{
    float t[2];
    __builtin_memcpy(t, a, 8);
    __builtin_memcpy(a, b, 8);
    __builtin_memcpy(b, t, 8);
}

inline void pairListCopy(const float* src, float* dst, int n, const int* table)
{
    if (n < 8) {
        moveValue(dst, src);
        moveValue(dst + 2 * (n - 1), src + 2 * (n - 1));
        if (n > 2) {
            moveValue(dst + 4, src + 2);
            moveValue(dst + 2, src + 4);
        }
        return;
    }
    const float* slo = src;
    const float* shi = src + n;
    float* dlo = dst;
    float* dhi = dst + n;
    // Entry e is the float offset of value e/2 of a half.
    for (; table[0] > 0; table += 2) {
        const int i = table[0], j = table[1];
        moveValue(dlo + j, slo + i);
        moveValue(dlo + j + 2, shi + i);
        moveValue(dlo + i, slo + j);
        moveValue(dlo + i + 2, shi + j);
        moveValue(dhi + j, slo + i + 2);
        moveValue(dhi + j + 2, shi + i + 2);
        moveValue(dhi + i, slo + j + 2);
        moveValue(dhi + i + 2, shi + j + 2);
    }
    // The 0 that ends the pairs stands for i = 0; the self-mapped entries follow.
    int i = 0;
    do {
        moveValue(dlo + i, slo + i);
        moveValue(dlo + i + 2, shi + i);
        moveValue(dhi + i, slo + i + 2);
        moveValue(dhi + i + 2, shi + i + 2);
        i = *++table;
    } while (i > 0);
}

inline void pairListInPlace(float* data, int n, const int* table)
{
    if (n < 4)
        return;
    float* lo = data;
    float* hi = data + n;
    for (; table[0] > 0; table += 2) {
        const int i = table[0], j = table[1];
        swapValues(lo + i, lo + j);
        swapValues(lo + i + 2, hi + j);
        swapValues(hi + i, lo + j + 2);
        swapValues(hi + i + 2, hi + j + 2);
    }
    int i = 0;
    do {
        swapValues(lo + i + 2, hi + i);
        i = *++table;
    } while (i > 0);
}

// ---- Index list in blocks (classes 2 to 5). The buffer is four quarters of
// blocks of four values; block k of the four quarters (sixteen values) goes as
// a unit to block rev(k), whose float offset in a quarter is word k: value e of
// quarter q lands at value s(q) of quarter s(e), s swapping two bits.

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
        swapValues(data + 2, data + 8);
        swapValues(data + 6, data + 12);
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
        pairListCopy(src, dst, n, table);
    else
        blockCopy(src, dst, n, table, P.bitReverseGatherFrom);
}

template <const VectorFftPlan& P>
void bitReverseInPlaceOf(float* data, int n, const int* table)
{
    if (P.pairListBitReverse)
        pairListInPlace(data, n, table);
    else
        blockInPlace(data, n, table);
}

}  // namespace vector_fft
