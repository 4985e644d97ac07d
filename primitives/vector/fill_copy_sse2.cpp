#include "primitives/dispatch/instruction_set_sse2.h"

#include <cstddef>
#include <cstdint>
#include <emmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/vector/fill_copy_bodies.h"
#include "primitives/dispatch/largest_cache.h"

namespace cls_sse2 {
namespace {

#include "primitives/vector/byte_moves.h"
#include "primitives/vector/fill_copy_wide_kernels.h"

// Aligned 16-byte stores assembled from quadword or doubleword loads, so that
// no load spans two lines for the common float offsets.
inline __m128i loadByDoublewords(const Byte* s)
{
    const __m128i w0 = _mm_cvtsi32_si128(loadWord<std::int32_t>(s));
    const __m128i w1 = _mm_cvtsi32_si128(loadWord<std::int32_t>(s + 4));
    const __m128i w2 = _mm_cvtsi32_si128(loadWord<std::int32_t>(s + 8));
    const __m128i w3 = _mm_cvtsi32_si128(loadWord<std::int32_t>(s + 12));
    return _mm_unpacklo_epi64(_mm_unpacklo_epi32(w0, w1), _mm_unpacklo_epi32(w2, w3));
}

inline __m128i loadByQuadwords(const Byte* s)
{
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + 8)));
}

struct CopyPlan {
    static constexpr std::size_t kLine = 32;
    static constexpr std::size_t kStreamFrom = 131072 + 1;
    static constexpr bool kStreamTestForAnySourceAfterHead = true;
    static constexpr bool kAlignedPathAfterHead = false;

    static void copyShort(const Byte* s, Byte* d, std::size_t count) { copyShortByWordsDown(s, d, count); }

    static void copyAligned(const Byte* s, Byte* d, std::size_t count)
    {
        for (; count >= 64; advance(s, d, count, 64))
            move64<true, load16>(s, d);
        for (; count >= 16; advance(s, d, count, 16))
            store16(d, load16(s));
        copyShortByWordsDown(s, d, count);
    }

    static void copyMisaligned(const Byte* s, Byte* d, std::size_t count)
    {
        if (misalignment(s, 8) == 4) {
            for (; count >= 64; advance(s, d, count, 64))
                for (std::size_t at = 0; at < 64; at += 16)
                    store16(d + at, loadByDoublewords(s + at));
        } else {
            for (; count >= 64; advance(s, d, count, 64))
                for (std::size_t at = 0; at < 64; at += 16)
                    store16(d + at, loadByQuadwords(s + at));
        }
        copyShortByWordsDown(s, d, count);
    }
};

}  // namespace

#include "primitives/vector/fill_copy_wide_bodies.h"

}  // namespace cls_sse2
