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

}  // namespace

#include "primitives/vector/spectrum_product_checked_bodies.h"

}  // namespace cls_generic
