#ifdef __SSE3__
#error "the generic class is built for the x86_64 baseline"
#endif

#include "primitives/fft/bit_reverse.h"

// Index x = t * n/2 + 2i + l (t the top bit, l the low bit) goes to
// l * n/2 + 2 rev(i) + t. The pair table lists (4i, 4j) for i < j = rev(i),
// then a 0 (which stands for i = 0), then the self-mapped 4i, then a 0; so
// every value is moved once and no index is reversed at run time. Each entry
// 4i is the float offset of value 2i.
namespace cls_generic {
namespace {

// Moves one complex value as its two 32-bit patterns.
inline void move(float* dst, const float* src)
{
    __builtin_memcpy(dst, src, 2 * sizeof(float));
}

inline void swap(float* a, float* b)
{
    float held[2];
    move(held, a);
    move(a, b);
    move(b, held);
}

}  // namespace

void bitReverseCopy(const float* src, float* dst, int n, const std::int32_t* pairTable)
{
    if (n < 8) {
        move(dst, src);
        move(dst + 2 * (n - 1), src + 2 * (n - 1));
        if (n > 2) {
            move(dst + 4, src + 2);
            move(dst + 2, src + 4);
        }
        return;
    }
    const float* lo = src;
    const float* hi = src + n;  // float offset of value n/2
    float* dstLo = dst;
    float* dstHi = dst + n;
    const std::int32_t* entry = pairTable;
    for (; entry[0] > 0; entry += 2) {
        const int i = entry[0];  // float offset of value 2i
        const int j = entry[1];
        move(dstLo + j, lo + i);
        move(dstLo + j + 2, hi + i);
        move(dstLo + i, lo + j);
        move(dstLo + i + 2, hi + j);
        move(dstHi + j, lo + i + 2);
        move(dstHi + j + 2, hi + i + 2);
        move(dstHi + i, lo + j + 2);
        move(dstHi + i + 2, hi + j + 2);
    }
    do {
        const int i = entry[0];
        move(dstLo + i, lo + i);
        move(dstLo + i + 2, hi + i);
        move(dstHi + i, lo + i + 2);
        move(dstHi + i + 2, hi + i + 2);
        ++entry;
    } while (entry[0] > 0);
}

void bitReverseInPlace(float* data, int n, const std::int32_t* pairTable)
{
    if (n < 4)
        return;
    float* lo = data;
    float* hi = data + n;
    const std::int32_t* entry = pairTable;
    for (; entry[0] > 0; entry += 2) {
        const int i = entry[0];
        const int j = entry[1];
        swap(lo + i, lo + j);
        swap(lo + i + 2, hi + j);
        swap(hi + i, lo + j + 2);
        swap(hi + i + 2, hi + j + 2);
    }
    do {
        const int i = entry[0];
        swap(lo + i + 2, hi + i);
        ++entry;
    } while (entry[0] > 0);
}

}  // namespace cls_generic
