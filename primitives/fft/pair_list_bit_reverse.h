#pragma once

// Bit reversal of n complex values (interleaved float pairs) through a pair
// list, the table of the generic class and of class 1. Values move as their
// bit patterns, never computed. Included inside a class namespace.
//
// Index x = t * n/2 + 2i + l (t the top bit, l the low bit) goes to
// l * n/2 + 2 rev(i) + t. The pair list holds (4i, 4j) for i < j = rev(i),
// then a 0 (which stands for i = 0), then the self-mapped 4i, then a 0; so
// every value is moved once and no index is reversed at run time. Each entry
// 4i is the float offset of value 2i.

// Moves one complex value as its two 32-bit patterns.
inline void moveComplexValue(float* dst, const float* src) { __builtin_memcpy(dst, src, 2 * sizeof(float)); }

inline void swapComplexValues(float* a, float* b)
{
    float held[2];
    moveComplexValue(held, a);
    moveComplexValue(a, b);
    moveComplexValue(b, held);
}

// src and dst must not overlap. Any n >= 1 (n below 8 needs no table).
inline void pairListBitReverseCopy(const float* src, float* dst, int n, const std::int32_t* pairList)
{
    if (n < 8) {
        moveComplexValue(dst, src);
        moveComplexValue(dst + 2 * (n - 1), src + 2 * (n - 1));
        if (n > 2) {
            moveComplexValue(dst + 4, src + 2);
            moveComplexValue(dst + 2, src + 4);
        }
        return;
    }
    const float* lo = src;
    const float* hi = src + n;  // float offset of value n/2
    float* dstLo = dst;
    float* dstHi = dst + n;
    const std::int32_t* entry = pairList;
    for (; entry[0] > 0; entry += 2) {
        const int i = entry[0];
        const int j = entry[1];
        moveComplexValue(dstLo + j, lo + i);
        moveComplexValue(dstLo + j + 2, hi + i);
        moveComplexValue(dstLo + i, lo + j);
        moveComplexValue(dstLo + i + 2, hi + j);
        moveComplexValue(dstHi + j, lo + i + 2);
        moveComplexValue(dstHi + j + 2, hi + i + 2);
        moveComplexValue(dstHi + i, lo + j + 2);
        moveComplexValue(dstHi + i + 2, hi + j + 2);
    }
    do {
        const int i = entry[0];
        moveComplexValue(dstLo + i, lo + i);
        moveComplexValue(dstLo + i + 2, hi + i);
        moveComplexValue(dstHi + i, lo + i + 2);
        moveComplexValue(dstHi + i + 2, hi + i + 2);
        ++entry;
    } while (entry[0] > 0);
}

// n >= 1 (n below 4 leaves the data as it is).
inline void pairListBitReverseInPlace(float* data, int n, const std::int32_t* pairList)
{
    if (n < 4)
        return;
    float* lo = data;
    float* hi = data + n;
    const std::int32_t* entry = pairList;
    for (; entry[0] > 0; entry += 2) {
        const int i = entry[0];
        const int j = entry[1];
        swapComplexValues(lo + i, lo + j);
        swapComplexValues(lo + i + 2, hi + j);
        swapComplexValues(hi + i, lo + j + 2);
        swapComplexValues(hi + i + 2, hi + j + 2);
    }
    do {
        const int i = entry[0];
        swapComplexValues(lo + i + 2, hi + i);
        ++entry;
    } while (entry[0] > 0);
}
