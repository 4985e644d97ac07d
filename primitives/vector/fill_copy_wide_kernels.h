// The fill and copy kernels of classes 2 to 5: 16-byte SSE2 moves, non-temporal
// stores for blocks beyond the largest cache. The zero kernel is one code for the
// four classes; the copy frame takes a plan of the class's own choices:
//
//   struct Plan {
//       static constexpr std::size_t kLine;           // read-ahead stride of the streaming path
//       static constexpr std::size_t kStreamFrom;     // the streaming path's least count
//       static constexpr bool kStreamTestForAnySourceAfterHead;
//       static constexpr bool kAlignedPathAfterHead;  // a source aligned by the head takes the aligned path
//       static void copyShort(const Byte*, Byte*, std::size_t);   // below 64 bytes
//       static void copyAligned(const Byte*, Byte*, std::size_t); // both 16-byte aligned
//       static void copyMisaligned(const Byte*, Byte*, std::size_t); // dst aligned, src not (or class 2)
//   };
//
// Included in an unnamed namespace inside a class namespace, after
// byte_moves.h, with <emmintrin.h> and largest_cache.h included above.

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

// dspZeroKernel.
inline void zeroWide(void* dst, std::size_t count)
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

// One 64-byte step into an aligned destination. Class 3 loads all four blocks
// before it stores; classes 4 and 5 store each block right after loading it.
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

// Non-temporal copy into an aligned destination, 256 KiB at a time: one byte of
// every line of the chunk is read first, so the loads then hit the cache while
// the stores bypass it.
template <class Plan>
void copyStreaming(const Byte* s, Byte* d, std::size_t count)
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
        for (std::size_t at = 0; at < kChunk; at += Plan::kLine)
            touch(s + at);
        streamBlocks(s, d, kChunk);
    }
    for (std::size_t back = Plan::kLine; back <= count; back += Plan::kLine)
        touch(s + count - back);
    const std::size_t blocks = count & ~std::size_t{15};
    streamBlocks(s, d, blocks);
    _mm_sfence();
    Plan::copyShort(s + blocks, d + blocks, count - blocks);
}

// The frame of dspCopyKernelSse2, dspCopyKernelSse3 and dspCopyKernel.
template <class Plan>
void copyWide(const void* src, void* dst, std::size_t count)
{
    const Byte* s = static_cast<const Byte*>(src);
    Byte* d = static_cast<Byte*>(dst);
    if (count < 64) {
        Plan::copyShort(s, d, count);
        return;
    }
    const bool dstAlignedAtEntry = misalignment(d, 16) == 0;
    bool mayStream = dstAlignedAtEntry;
    if (!dstAlignedAtEntry) {
        store16Unaligned(d, load16Unaligned(s));
        advance(s, d, count, bytesToBoundary(d, 16));
        if (count < 64) {
            Plan::copyShort(s, d, count);
            return;
        }
        mayStream = Plan::kStreamTestForAnySourceAfterHead || misalignment(s, 16) != 0;
    }
    if (mayStream && count >= Plan::kStreamFrom && cacheBypassedByCopy(count))
        copyStreaming<Plan>(s, d, count);
    else if (misalignment(s, 16) == 0 && (dstAlignedAtEntry || Plan::kAlignedPathAfterHead))
        Plan::copyAligned(s, d, count);
    else
        Plan::copyMisaligned(s, d, count);
}
