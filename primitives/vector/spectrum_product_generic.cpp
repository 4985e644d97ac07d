#include "primitives/dispatch/instruction_set_generic.h"

#include <cstddef>
#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/vector/spectrum_product_bodies.h"

namespace cls_generic {

#include "primitives/vector/elements.h"

namespace {

// Products of two floats are exact in long double (48 of 64 significand bits):
// each result rounds once, to float, as it is stored.

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

// Rows one after the other; each result rounds to float as dspMulSpectra's does,
// and its sum with the running sum rounds as dspAddInPlace's does.
void splitProductSums(const float* a, const float* b, float* sum, std::ptrdiff_t bins, std::ptrdiff_t rows,
                      bool realFirstBin)
{
    const std::ptrdiff_t rowFloats = 8 * ((bins + 3) / 4);
    for (std::ptrdiff_t r = 0; r < rows; ++r, a += rowFloats, b += rowFloats)
        for (std::ptrdiff_t k = 0; k < bins; ++k) {
            // Blocks of four bins: four real parts, then four imaginary parts.
            const std::ptrdiff_t re = 8 * (k / 4) + k % 4;
            const std::ptrdiff_t im = re + 4;
            const long double ar = loadFloat(a + re), ai = loadFloat(a + im);
            const long double br = loadFloat(b + re), bi = loadFloat(b + im);
            const bool realBin = realFirstBin && k == 0;
            const float productRe = static_cast<float>(realBin ? ar * br : ar * br - ai * bi);
            const float productIm = static_cast<float>(realBin ? ai * bi : ar * bi + ai * br);
            storeFloat(sum + re, static_cast<float>(static_cast<long double>(productRe) + loadFloat(sum + re)));
            storeFloat(sum + im, static_cast<float>(static_cast<long double>(productIm) + loadFloat(sum + im)));
        }
}

}  // namespace

#include "primitives/vector/spectrum_product_checked_bodies.h"

}  // namespace cls_generic
