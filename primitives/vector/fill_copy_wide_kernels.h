// The fill and copy kernels of classes 2 to 5: 16-byte SSE2 moves, non-temporal
// stores for blocks beyond the largest cache. The zero kernel is one code for the
// four classes; the copy takes the class's choices from kCopyTuning, and for a
// source that the destination's alignment leaves misaligned the instructions its
// class brings (copyMisaligned). Included inside a class namespace, with kClass
// defined and largest_cache.h included above.

namespace {

#include "primitives/vector/byte_moves.h"

inline __m128i load16(const Byte* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }
inline __m128i load16Unaligned(const Byte* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store16(Byte* p, __m128i v) { _mm_store_si128(reinterpret_cast<__m128i*>(p), v); }
inline void store16Unaligned(Byte* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline void stream16(Byte* p, __m128i v) { _mm_stream_si128(reinterpret_cast<__m128i*>(p), v); }

// Whether the largest cache S allows a non-temporal zero of count bytes (count >= S).
inline bool cacheBypassedByZero(std::size_t count)
{
    const std::int64_t cache = dspLargestCacheSize();
    return cache > 0 && count >= static_cast<std::uint64_t>(cache);
}

// Whether the largest cache S allows a non-temporal copy of count bytes (count >= S/2).
inline bool cacheBypassedByCopy(std::size_t count)
{
    const std::int64_t cache = dspLargestCacheSize();
    return cache > 0 && count >= static_cast<std::uint64_t>(cache) / 2;
}

// Below 16 bytes: two 8-byte or two 4-byte stores that meet or overlap, else single bytes.
inline void zeroBelow16(Byte* d, std::size_t count)
{
    if (count >= 8) {
        storeWord<std::uint64_t>(d, 0);
        storeWord<std::uint64_t>(d + count - 8, 0);
    } else if (count >= 4) {
        storeWord<std::uint32_t>(d, 0);
        storeWord<std::uint32_t>(d + count - 4, 0);
    } else {
        if (count >= 1) d[0] = 0;
        if (count >= 2) d[1] = 0;
        if (count >= 3) d[2] = 0;
    }
}

inline void zeroKernel(void* dst, std::size_t count)
{
    constexpr std::size_t kStreamAbove = 524288;
    Byte* d = static_cast<Byte*>(dst);
    if (count < 16) {
        zeroBelow16(d, count);
        return;
    }
    if (const std::size_t head = bytesToBoundary(d, 16)) {
        zeroPiece<Byte>(d, head);
        zeroPiece<std::uint16_t>(d, head);
        zeroPiece<std::uint32_t>(d, head);
        zeroPiece<std::uint64_t>(d, head);
        count -= head;
    }
    const __m128i zero = _mm_setzero_si128();
    if (count >= 64) {
        if (count > kStreamAbove && cacheBypassedByZero(count)) {
            Byte* const end = d + (count & ~std::size_t{15});
            for (; end - d >= 64; d += 64)
                for (std::size_t at = 0; at < 64; at += 16)
                    stream16(d + at, zero);
            for (; d != end; d += 16)
                stream16(d, zero);
            _mm_sfence();
            zeroBelow16(d, count & 15);
            return;
        }
        for (; count >= 64; count -= 64, d += 64)
            for (std::size_t at = 0; at < 64; at += 16)
                store16(d + at, zero);
    }
    for (; count >= 16; count -= 16, d += 16)
        store16(d, zero);
    zeroBelow16(d, count);
}

// Short copy of classes 2 and 3 (below 64 bytes): the last 4 bytes, then the
// destination-aligned words downwards, then the first 4 bytes unless the words
// reached them.
inline void copyShortByWordsDown(const Byte* s, Byte* d, std::size_t count)
{
    if (count < 4) {
        for (std::size_t i = count; i-- > 0;)
            d[i] = s[i];
        return;
    }
    moveWord<std::uint32_t>(s + count - 4, d + count - 4);
    auto at = static_cast<std::ptrdiff_t>(count - 4 - misalignment(d + count - 4, 4));
    for (; at >= 0; at -= 4)
        moveWord<std::uint32_t>(s + at, d + at);
    if (at != -4)
        moveWord<std::uint32_t>(s, d);
}

// Short copy of classes 4 and 5 (below 64 bytes): 32, 16, 8 and 4-byte pieces
// upwards as the count's bits say, each loaded whole before it is stored, then
// the last 1 to 3 bytes downwards.
inline void copyShortByPiecesUp(const Byte* s, Byte* d, std::size_t count)
{
    if (count & 32) {
        const __m128i low = load16Unaligned(s);
        const __m128i high = load16Unaligned(s + 16);
        store16Unaligned(d, low);
        store16Unaligned(d + 16, high);
        s += 32;
        d += 32;
    }
    if (count & 16) {
        store16Unaligned(d, load16Unaligned(s));
        s += 16;
        d += 16;
    }
    movePiece<std::uint64_t>(s, d, count);
    movePiece<std::uint32_t>(s, d, count);
    for (std::size_t i = count & 3; i-- > 0;)
        d[i] = s[i];
}

// One 64-byte step into an aligned destination: all four blocks loaded before
// any is stored, or each stored right after its load.
template <bool kLoadAllFirst, __m128i (*load)(const Byte*)>
inline void move64(const Byte* s, Byte* d)
{
    if constexpr (kLoadAllFirst) {
        const __m128i a = load(s), b = load(s + 16), c = load(s + 32), e = load(s + 48);
        store16(d, a);
        store16(d + 16, b);
        store16(d + 32, c);
        store16(d + 48, e);
    } else {
        for (std::size_t at = 0; at < 64; at += 16)
            store16(d + at, load(s + at));
    }
}

template <bool kLoadAllFirst>
inline void move32Aligned(const Byte* s, Byte* d)
{
    if constexpr (kLoadAllFirst) {
        const __m128i a = load16(s), b = load16(s + 16);
        store16(d, a);
        store16(d + 16, b);
    } else {
        store16(d, load16(s));
        store16(d + 16, load16(s + 16));
    }
}

// Both aligned: 64-byte steps upwards, then pieces of 32 down to 1 byte.
template <bool kLoadAllFirst>
void copyAlignedUp(const Byte* s, Byte* d, std::size_t count)
{
    for (; count >= 64; advance(s, d, count, 64))
        move64<kLoadAllFirst, load16>(s, d);
    if (count & 32) { move32Aligned<kLoadAllFirst>(s, d); s += 32; d += 32; }
    if (count & 16) { store16(d, load16(s)); s += 16; d += 16; }
    movePiece<std::uint64_t>(s, d, count);
    movePiece<std::uint32_t>(s, d, count);
    movePiece<std::uint16_t>(s, d, count);
    movePiece<Byte>(s, d, count);
}

// Both aligned: the pieces at the end first (1 up to 32 bytes), then 64-byte steps downwards.
template <bool kLoadAllFirst>
void copyAlignedDown(const Byte* s, Byte* d, std::size_t count)
{
    std::size_t end = count;
    if (count & 1) { end -= 1; d[end] = s[end]; }
    if (count & 2) { end -= 2; moveWord<std::uint16_t>(s + end, d + end); }
    if (count & 4) { end -= 4; moveWord<std::uint32_t>(s + end, d + end); }
    if (count & 8) { end -= 8; moveWord<std::uint64_t>(s + end, d + end); }
    if (count & 16) { end -= 16; store16(d + end, load16(s + end)); }
    if (count & 32) { end -= 32; move32Aligned<kLoadAllFirst>(s + end, d + end); }
    while (end > 0) {
        end -= 64;
        move64<kLoadAllFirst, load16>(s + end, d + end);
    }
}

// Stores that trail loads by a few lines within a page stall on false
// dependences (addresses equal modulo 4096): such copies run downwards.
template <bool kLoadAllFirst>
void copyAlignedByDirection(const Byte* s, Byte* d, std::size_t count)
{
    const auto pageOffset = [](const void* p) { return static_cast<std::ptrdiff_t>(misalignment(p, 4096)); };
    const std::ptrdiff_t lead = pageOffset(s) - pageOffset(d);
    if ((lead > 0 && lead <= 160) || lead < -3936)
        copyAlignedUp<kLoadAllFirst>(s, d, count);
    else
        copyAlignedDown<kLoadAllFirst>(s, d, count);
}

// How the aligned copy of classes 2 to 5 runs.
enum class AlignedCopy {
    Upward,              // 64-byte steps, then 16-byte steps, then the short copy
    DownwardBelow512,    // blocks below 512 bytes downwards, larger ones by direction
    ByDirection,         // upwards or downwards as the page offsets of the two ranges ask
};

// What the copies of classes 2 to 5 do differently, in class order (the generic
// class and class 1 have kernels of their own).
struct CopyTuning {
    std::size_t line;          // read-ahead stride of the streaming path
    std::size_t streamFrom;    // the streaming path's least count
    // After the destination's head, any source may stream; else only one the head left misaligned.
    bool streamAnySourceAfterHead;
    bool alignedPathAfterHead;  // a source that the head aligned takes the aligned path
    bool shortByPieces;         // below 64 bytes pieces upwards; else words downwards
    bool loadAllFirst;          // a 64-byte step loads its four blocks before it stores any
    AlignedCopy aligned;
};
constexpr CopyTuning kCopyTuning[kCpuClassCount] = {
    {0, 0, false, false, false, false, AlignedCopy::Upward},  // generic
    {0, 0, false, false, false, false, AlignedCopy::Upward},  // sse
    {32, 131072 + 1, true, false, false, true, AlignedCopy::Upward},             // sse2
    {64, 524288, false, true, false, true, AlignedCopy::DownwardBelow512},       // sse3
    {64, 1048576, false, true, true, false, AlignedCopy::ByDirection},           // ssse3
    {64, 1048576, false, true, true, false, AlignedCopy::ByDirection},           // sse41
};
constexpr CopyTuning kCopyOfClass = kCopyTuning[kClass];

// Below 64 bytes.
inline void copyShort(const Byte* s, Byte* d, std::size_t count)
{
    if constexpr (kCopyOfClass.shortByPieces)
        copyShortByPiecesUp(s, d, count);
    else
        copyShortByWordsDown(s, d, count);
}

// Both 16-byte aligned.
inline void copyAligned(const Byte* s, Byte* d, std::size_t count)
{
    constexpr bool kLoadAllFirst = kCopyOfClass.loadAllFirst;
    if constexpr (kCopyOfClass.aligned == AlignedCopy::Upward) {
        for (; count >= 64; advance(s, d, count, 64))
            move64<kLoadAllFirst, load16>(s, d);
        for (; count >= 16; advance(s, d, count, 16))
            store16(d, load16(s));
        copyShort(s, d, count);
    } else if (kCopyOfClass.aligned == AlignedCopy::DownwardBelow512 && count < 512) {
        copyAlignedDown<kLoadAllFirst>(s, d, count);
    } else {
        copyAlignedByDirection<kLoadAllFirst>(s, d, count);
    }
}

#if defined(__SSSE3__)
// Aligned destination, source at kShift bytes past a 16-byte boundary: every
// store joins two aligned source loads by byte alignment, so no load splits a line.
template <int kShift>
void copyShifted(const Byte* s, Byte* d, std::size_t count)
{
    const Byte* block = s - kShift;
    // 16 bytes stay in reserve: the last aligned load ends below s + count.
    if (count >= 64 + 16) {
        __m128i previous = load16(block);
        for (; count >= 64 + 16; advance(s, d, count, 64), block += 64) {
            const __m128i b1 = load16(block + 16), b2 = load16(block + 32);
            const __m128i b3 = load16(block + 48), b4 = load16(block + 64);
            store16(d, _mm_alignr_epi8(b1, previous, kShift));
            store16(d + 16, _mm_alignr_epi8(b2, b1, kShift));
            store16(d + 32, _mm_alignr_epi8(b3, b2, kShift));
            store16(d + 48, _mm_alignr_epi8(b4, b3, kShift));
            previous = b4;
        }
    }
    for (; count >= 64; advance(s, d, count, 64))
        move64<true, load16Unaligned>(s, d);
    copyShort(s, d, count);
}
#elif defined(__SSE3__)
// The SSE3 unaligned load, which takes two aligned halves when it crosses a line.
inline __m128i loadAcrossLines(const Byte* p) { return _mm_lddqu_si128(reinterpret_cast<const __m128i*>(p)); }
#else
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
#endif

// Destination 16-byte aligned, source not (or, in class 2, a destination that was
// not aligned at entry): each class with the loads its instruction set brings,
// every 64-byte step loading its four blocks before it stores.
inline void copyMisaligned(const Byte* s, Byte* d, std::size_t count)
{
#if defined(__SSSE3__)
    if (misalignment(s, 4) != 0) {
        for (; count >= 64; advance(s, d, count, 64))
            move64<true, load16Unaligned>(s, d);
        copyShort(s, d, count);
        return;
    }
    // One unaligned piece first puts the aligned block below the source inside the range.
    store16(d, load16Unaligned(s));
    advance(s, d, count, 16);
    switch (misalignment(s, 16)) {
    case 4: copyShifted<4>(s, d, count); break;
    case 8: copyShifted<8>(s, d, count); break;
    default: copyShifted<12>(s, d, count); break;
    }
#elif defined(__SSE3__)
    for (; count >= 64; advance(s, d, count, 64))
        move64<true, loadAcrossLines>(s, d);
    copyShort(s, d, count);
#else
    if (misalignment(s, 8) == 4) {
        for (; count >= 64; advance(s, d, count, 64))
            for (std::size_t at = 0; at < 64; at += 16)
                store16(d + at, loadByDoublewords(s + at));
    } else {
        for (; count >= 64; advance(s, d, count, 64))
            for (std::size_t at = 0; at < 64; at += 16)
                store16(d + at, loadByQuadwords(s + at));
    }
    copyShort(s, d, count);
#endif
}

// Non-temporal copy into an aligned destination, 256 KiB at a time: one byte of
// every line of the chunk is read first, so the loads then hit the cache while
// the stores bypass it.
inline void copyStreaming(const Byte* s, Byte* d, std::size_t count)
{
    constexpr std::size_t kChunk = 262144;
    const auto streamBlocks = [](const Byte* from, Byte* to, std::size_t bytes) {
        std::size_t at = 0;
        for (; bytes - at >= 64; at += 64) {
            const __m128i a = load16Unaligned(from + at), b = load16Unaligned(from + at + 16);
            const __m128i c = load16Unaligned(from + at + 32), e = load16Unaligned(from + at + 48);
            stream16(to + at, a);
            stream16(to + at + 16, b);
            stream16(to + at + 32, c);
            stream16(to + at + 48, e);
        }
        for (; at < bytes; at += 16)
            stream16(to + at, load16Unaligned(from + at));
    };
    for (; count >= kChunk; advance(s, d, count, kChunk)) {
        for (std::size_t at = 0; at < kChunk; at += kCopyOfClass.line)
            touch(s + at);
        streamBlocks(s, d, kChunk);
    }
    for (std::size_t back = kCopyOfClass.line; back <= count; back += kCopyOfClass.line)
        touch(s + count - back);
    const std::size_t blocks = count & ~std::size_t{15};
    streamBlocks(s, d, blocks);
    _mm_sfence();
    copyShort(s + blocks, d + blocks, count - blocks);
}

inline void copyKernel(const void* src, void* dst, std::size_t count)
{
    const Byte* s = static_cast<const Byte*>(src);
    Byte* d = static_cast<Byte*>(dst);
    if (count < 64) {
        copyShort(s, d, count);
        return;
    }
    const bool dstAlignedAtEntry = misalignment(d, 16) == 0;
    bool mayStream = dstAlignedAtEntry;
    if (!dstAlignedAtEntry) {
        store16Unaligned(d, load16Unaligned(s));
        advance(s, d, count, bytesToBoundary(d, 16));
        if (count < 64) {
            copyShort(s, d, count);
            return;
        }
        mayStream = kCopyOfClass.streamAnySourceAfterHead || misalignment(s, 16) != 0;
    }
    if (mayStream && count >= kCopyOfClass.streamFrom && cacheBypassedByCopy(count))
        copyStreaming(s, d, count);
    else if (misalignment(s, 16) == 0 && (dstAlignedAtEntry || kCopyOfClass.alignedPathAfterHead))
        copyAligned(s, d, count);
    else
        copyMisaligned(s, d, count);
}

}  // namespace
