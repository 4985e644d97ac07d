#include "primitives/dispatch/instruction_set_generic.h"

#include <cstddef>
#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/interleave/interleave_bodies.h"

namespace cls_generic {

#include "primitives/vector/elements.h"

namespace {

// Channel by channel; positions in 64 bits, since frames times channels may pass 2^31.

void interleaveKernel(const float* const* channels, std::ptrdiff_t channelCount, std::ptrdiff_t n, float* dst)
{
    for (std::ptrdiff_t c = 0; c < channelCount; ++c)
        for (std::ptrdiff_t i = 0; i < n; ++i)
            copyFloatBits(dst + i * channelCount + c, channels[c] + i);
}

void deinterleaveKernel(const float* src, std::ptrdiff_t channelCount, std::ptrdiff_t n, float* const* channels)
{
    for (std::ptrdiff_t c = 0; c < channelCount; ++c)
        for (std::ptrdiff_t i = 0; i < n; ++i)
            copyFloatBits(channels[c] + i, src + i * channelCount + c);
}

}  // namespace

#include "primitives/interleave/interleave_checked_bodies.h"

}  // namespace cls_generic
