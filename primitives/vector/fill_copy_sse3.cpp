#include "primitives/dispatch/instruction_set_sse3.h"

#include <cstddef>
#include <cstdint>
#include <pmmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/vector/fill_copy_bodies.h"
#include "primitives/dispatch/largest_cache.h"

namespace cls_sse3 {
namespace {

#include "primitives/vector/byte_moves.h"
#include "primitives/vector/fill_copy_wide_kernels.h"

// The SSE3 unaligned load, which takes two aligned halves when it crosses a line.
inline __m128i loadAcrossLines(const Byte* p) { return _mm_lddqu_si128(reinterpret_cast<const __m128i*>(p)); }

struct CopyPlan {
    static constexpr std::size_t kLine = 64;
    static constexpr std::size_t kStreamFrom = 524288;
    static constexpr bool kStreamTestForAnySourceAfterHead = false;
    static constexpr bool kAlignedPathAfterHead = true;

    static void copyShort(const Byte* s, Byte* d, std::size_t count) { copyShortByWordsDown(s, d, count); }

    static void copyAligned(const Byte* s, Byte* d, std::size_t count)
    {
        if (count < 512)
            copyAlignedDown<true>(s, d, count);
        else
            copyAlignedByDirection<true>(s, d, count);
    }

    static void copyMisaligned(const Byte* s, Byte* d, std::size_t count)
    {
        for (; count >= 64; advance(s, d, count, 64))
            move64<true, loadAcrossLines>(s, d);
        copyShortByWordsDown(s, d, count);
    }
};

}  // namespace

#include "primitives/vector/fill_copy_wide_bodies.h"

}  // namespace cls_sse3
