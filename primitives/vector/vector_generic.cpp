#include "primitives/dispatch/instruction_set_generic.h"

#include <cstddef>
#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/vector/vector_bodies.h"

// The generic class's vector kernels, the reference results of every class.
namespace cls_generic {

#include "primitives/vector/elements.h"

namespace {

#include "primitives/vector/byte_moves.h"

// Fill and copy, in bytes and 32-bit words. An address the compiler cannot relate to its neighbours, so that it neither
// hands a loop to the C library nor merges the word stores into vector stores:
// the generic class moves bytes and words itself.
inline Byte* opaque(Byte* p)
{
    asm("" : "+r"(p));
    return p;
}

using Word = std::uint32_t;

void zeroKernel(void* dst, std::size_t count)
{
    Byte* d = static_cast<Byte*>(dst);
    for (; count > 0 && misalignment(d, sizeof(Word)) != 0; --count, ++d)
        *opaque(d) = 0;
    const std::size_t rest = count % 32;
    for (Byte* const end = d + (count - rest); d != end; d += 32)
        for (std::size_t w = 0; w < 32; w += sizeof(Word))
            storeWord<Word>(opaque(d + w), 0);
    for (Byte* const end = d + rest; d != end; ++d)
        *opaque(d) = 0;
}

// Words move in pairs, both loaded before either is stored.
void copyKernel(const void* src, void* dst, std::size_t count)
{
    const Byte* s = static_cast<const Byte*>(src);
    Byte* d = static_cast<Byte*>(dst);
    for (; count > 0 && misalignment(d, sizeof(Word)) != 0; --count, ++s, ++d)
        *opaque(d) = *s;
    const std::size_t rest = count % 32;
    for (Byte* const end = d + (count - rest); d != end; s += 32, d += 32) {
        for (std::size_t w = 0; w < 32; w += 2 * sizeof(Word)) {
            const Word first = loadWord<Word>(s + w);
            const Word second = loadWord<Word>(s + w + sizeof(Word));
            storeWord(opaque(d + w), first);
            storeWord(opaque(d + w + sizeof(Word)), second);
        }
    }
    for (Byte* const end = d + rest; d != end; ++s, ++d)
        *opaque(d) = *s;
}

// Arithmetic: operands widen to long double (the x87 unit); each result rounds
// to float as it is stored.

// The x87 load quiets a signalling NaN. Written as the instruction itself: the
// compiler would turn a library fabs into an AND of the sign bit, which leaves
// the NaN signalling.
inline float x87Abs(float x)
{
    asm("fabs" : "+t"(x));
    return x;
}

void absKernel(float* p, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        storeFloat(p + i, x87Abs(loadFloat(p + i)));
}

void addKernel(const float* src, float* dst, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        const long double sum = static_cast<long double>(loadFloat(src + i)) + loadFloat(dst + i);
        storeFloat(dst + i, static_cast<float>(sum));
    }
}

void mulConstKernel(float value, float* p, std::ptrdiff_t n)
{
    const long double factor = value;
    for (std::ptrdiff_t i = 0; i < n; ++i)
        storeFloat(p + i, static_cast<float>(loadFloat(p + i) * factor));
}

// Searches, by the reference rule: the result starts at src[0] and only a
// strictly larger (smaller) element replaces it, so a NaN never enters and of
// equal values the first one stays.

float maxKernel(const float* src, std::ptrdiff_t n)
{
    float best = loadFloat(src);
    for (std::ptrdiff_t i = 1; i < n; ++i) {
        const float x = loadFloat(src + i);
        if (x > best)
            best = x;
    }
    return best;
}

float minKernel(const float* src, std::ptrdiff_t n)
{
    float best = loadFloat(src);
    for (std::ptrdiff_t i = 1; i < n; ++i) {
        const float x = loadFloat(src + i);
        if (x < best)
            best = x;
    }
    return best;
}

float maxIndexKernel(const float* src, std::ptrdiff_t n, std::ptrdiff_t& position)
{
    float best = loadFloat(src);
    position = 0;
    for (std::ptrdiff_t i = 1; i < n; ++i) {
        const float x = loadFloat(src + i);
        if (x > best) {
            best = x;
            position = i;
        }
    }
    return best;
}

// Spectrum products. Products of two floats are exact in long double (48 of 64
// significand bits): each result rounds once, to float, as it is stored.

void realProducts(const float* a, const float* b, float* dst, std::ptrdiff_t n)
{
    for (std::ptrdiff_t k = 0; k < n; ++k)
        storeFloat(dst + k, static_cast<float>(static_cast<long double>(loadFloat(a + k)) * loadFloat(b + k)));
}

// A pair's four inputs are all loaded before its outputs are stored, so dst may be a or b.
void pairProducts(const float* a, const float* b, float* dst, std::ptrdiff_t pairs)
{
    for (std::ptrdiff_t k = 0; k < 2 * pairs; k += 2) {
        const long double ar = loadFloat(a + k), ai = loadFloat(a + k + 1);
        const long double br = loadFloat(b + k), bi = loadFloat(b + k + 1);
        storeFloat(dst + k, static_cast<float>(ar * br - ai * bi));
        storeFloat(dst + k + 1, static_cast<float>(ar * bi + ai * br));
    }
}

// Every bin's sum runs through the runs and their rows in order; each product
// rounds to float as dspMulSpectra's does, and its sum with the running sum
// rounds as dspAddInPlace's does.
void splitProductSums(const float* const* a, const float* const* b, const int* rows, std::ptrdiff_t runs, float* sum,
                      std::ptrdiff_t bins, SplitStrides strides, bool realFirstBin)
{
    for (std::ptrdiff_t k = 0; k < bins; ++k) {
        const std::ptrdiff_t aRe = (k / 8) * strides.a + splitRealIndex(k % 8);
        const std::ptrdiff_t bRe = (k / 8) * strides.b + splitRealIndex(k % 8);
        float* sumRe = sum + 16 * (k / 8) + splitRealIndex(k % 8);
        float* sumIm = sumRe + 4;
        const bool realBin = realFirstBin && k == 0;
        for (std::ptrdiff_t t = 0; t < runs; ++t)
            for (std::ptrdiff_t r = 0; r < rows[t]; ++r) {
                const float* x = a[t] + 16 * r;
                const float* y = b[t] + 16 * r;
                const long double ar = loadFloat(x + aRe), ai = loadFloat(x + aRe + 4);
                const long double br = loadFloat(y + bRe), bi = loadFloat(y + bRe + 4);
                const float productRe = static_cast<float>(realBin ? ar * br : ar * br - ai * bi);
                const float productIm = static_cast<float>(realBin ? ai * bi : ar * bi + ai * br);
                storeFloat(sumRe, static_cast<float>(static_cast<long double>(productRe) + loadFloat(sumRe)));
                storeFloat(sumIm, static_cast<float>(static_cast<long double>(productIm) + loadFloat(sumIm)));
            }
    }
}

// Each output's sums are its own, in the same order.
void splitProductPairSums(const float* const* a, const float* const* b, const float* const* c, const int* rows,
                          std::ptrdiff_t runs, float* sum, float* otherSum, std::ptrdiff_t bins, SplitStrides strides,
                          bool realFirstBin)
{
    splitProductSums(a, b, rows, runs, sum, bins, strides, realFirstBin);
    splitProductSums(a, c, rows, runs, otherSum, bins, strides, realFirstBin);
}

}  // namespace

#include "primitives/vector/checked_bodies.h"
#include "primitives/vector/addition_body.h"

}  // namespace cls_generic
