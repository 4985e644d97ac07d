#include "primitives/dispatch/instruction_set_generic.h"

#include <cstddef>
#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/vector/vector_bodies.h"

namespace cls_generic {

#include "primitives/vector/elements.h"

namespace {

// The reference rule: the result starts at src[0] and only a strictly larger
// (smaller) element replaces it, so a NaN never enters and of equal values the
// first one stays.

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

}  // namespace

#include "primitives/vector/checked_bodies.h"

}  // namespace cls_generic
