// dspCopyKernel of classes 4 and 5 (one code for both): SSSE3 byte alignment of
// neighbouring source blocks for sources on a doubleword boundary. Included in
// an unnamed namespace inside a class namespace, after fill_copy_wide_kernels.h,
// with <tmmintrin.h> included above.

// Aligned destination, source at kShift bytes past a 16-byte boundary: every
// store joins two aligned source loads, so no load splits a line.
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
    copyShortByPiecesUp(s, d, count);
}

struct CopyPlan {
    static constexpr std::size_t kLine = 64;
    static constexpr std::size_t kStreamFrom = 1048576;
    static constexpr bool kStreamTestForAnySourceAfterHead = false;
    static constexpr bool kAlignedPathAfterHead = true;

    static void copyShort(const Byte* s, Byte* d, std::size_t count) { copyShortByPiecesUp(s, d, count); }

    static void copyAligned(const Byte* s, Byte* d, std::size_t count) { copyAlignedByDirection<false>(s, d, count); }

    static void copyMisaligned(const Byte* s, Byte* d, std::size_t count)
    {
        if (misalignment(s, 4) != 0) {
            for (; count >= 64; advance(s, d, count, 64))
                move64<true, load16Unaligned>(s, d);
            copyShortByPiecesUp(s, d, count);
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
    }
};
