// Interleaving kernels of classes 1 to 5: no checks, n >= 1, channelCount >= 1.
// Included inside a class namespace after lanes.h, with kClass defined. Only
// moves and shuffles touch the samples, so every bit survives. Positions are
// 64-bit: frames times channels may pass 2^31.

// What the classes do differently, in class order (the generic class has loops of its own).
struct InterleaveTuning {
    // Two channels take a routine of their own, blocks of eight frames; else
    // the general one, one pair per frame.
    bool twoChannelRoutine;
};
constexpr InterleaveTuning kInterleaveTuning[kCpuClassCount] = {
    {false},  // generic
    {false},  // sse
    {true},   // sse2
    {true},   // sse3
    {true},   // ssse3
    {true},   // sse41
};

// From this many channels on, dst is written once in order, frame by frame: the
// rows that a group of four channels writes would lie a cache line or more apart.
constexpr std::ptrdiff_t kFrameOrderFrom = 240;

inline void copyFrames(const float* const* channels, std::ptrdiff_t first, std::ptrdiff_t count,
                       std::ptrdiff_t channelCount, std::ptrdiff_t from, std::ptrdiff_t n, float* dst)
{
    for (std::ptrdiff_t i = from; i < n; ++i)
        for (std::ptrdiff_t c = first; c < first + count; ++c)
            copyFloatBits(dst + i * channelCount + c, channels[c] + i);
}

// Two channels: blocks of eight frames, sixteen consecutive floats of dst each.
template <bool Aligned>
void interleaveTwoBlocks(const float* left, const float* right, float* dst, std::ptrdiff_t blocks)
{
    for (; blocks > 0; --blocks, left += 8, right += 8, dst += 16) {
        const __m128 l0 = load<Aligned>(left), l1 = load<Aligned>(left + 4);
        const __m128 r0 = load<Aligned>(right), r1 = load<Aligned>(right + 4);
        store<Aligned>(dst, _mm_unpacklo_ps(l0, r0));
        store<Aligned>(dst + 4, _mm_unpackhi_ps(l0, r0));
        store<Aligned>(dst + 8, _mm_unpacklo_ps(l1, r1));
        store<Aligned>(dst + 12, _mm_unpackhi_ps(l1, r1));
    }
}

inline void interleaveTwo(const float* const* channels, std::ptrdiff_t n, float* dst)
{
    const std::ptrdiff_t blocks = n / 8;
    if (isAlignedTo(dst, 16) && isAlignedTo(channels[0], 16) && isAlignedTo(channels[1], 16))
        interleaveTwoBlocks<true>(channels[0], channels[1], dst, blocks);
    else
        interleaveTwoBlocks<false>(channels[0], channels[1], dst, blocks);
    copyFrames(channels, 0, 2, 2, blocks * 8, n, dst);
}

// Four channels from `first` on: 4 x 4 blocks transposed in registers, one row per frame.
template <bool LoadAligned, bool StoreAligned>
void interleaveFour(const float* const* channels, std::ptrdiff_t first, std::ptrdiff_t channelCount,
                    std::ptrdiff_t n, float* dst)
{
    const float* c0 = channels[first];
    const float* c1 = channels[first + 1];
    const float* c2 = channels[first + 2];
    const float* c3 = channels[first + 3];
    float* row = dst + first;
    std::ptrdiff_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128 r0 = load<LoadAligned>(c0 + i), r1 = load<LoadAligned>(c1 + i);
        __m128 r2 = load<LoadAligned>(c2 + i), r3 = load<LoadAligned>(c3 + i);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        store<StoreAligned>(row + i * channelCount, r0);
        store<StoreAligned>(row + (i + 1) * channelCount, r1);
        store<StoreAligned>(row + (i + 2) * channelCount, r2);
        store<StoreAligned>(row + (i + 3) * channelCount, r3);
    }
    copyFrames(channels, first, 4, channelCount, i, n, dst);
}

// Two channels from `first` on, inside wider frames: 8-byte stores, four frames per step.
template <bool LoadAligned>
void interleavePairInFrames(const float* const* channels, std::ptrdiff_t first, std::ptrdiff_t channelCount,
                            std::ptrdiff_t n, float* dst)
{
    const float* a = channels[first];
    const float* b = channels[first + 1];
    float* row = dst + first;
    std::ptrdiff_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128 x = load<LoadAligned>(a + i), y = load<LoadAligned>(b + i);
        const __m128 low = _mm_unpacklo_ps(x, y), high = _mm_unpackhi_ps(x, y);
        _mm_storel_pi(reinterpret_cast<__m64*>(row + i * channelCount), low);
        _mm_storeh_pi(reinterpret_cast<__m64*>(row + (i + 1) * channelCount), low);
        _mm_storel_pi(reinterpret_cast<__m64*>(row + (i + 2) * channelCount), high);
        _mm_storeh_pi(reinterpret_cast<__m64*>(row + (i + 3) * channelCount), high);
    }
    copyFrames(channels, first, 2, channelCount, i, n, dst);
}

inline void interleaveGeneral(const float* const* channels, std::ptrdiff_t channelCount, std::ptrdiff_t n,
                              float* dst)
{
    if (channelCount >= kFrameOrderFrom) {
        copyFrames(channels, 0, channelCount, channelCount, 0, n, dst);
        return;
    }
    bool aligned = isAlignedTo(dst, 16);
    for (std::ptrdiff_t c = 0; c < channelCount; ++c)
        aligned = aligned && isAlignedTo(channels[c], 16);
    // Rows start on 16-byte boundaries only when frames are a multiple of four floats.
    const bool rowsAligned = aligned && channelCount % 4 == 0;
    std::ptrdiff_t c = 0;
    for (; c + 4 <= channelCount; c += 4) {
        if (rowsAligned)
            interleaveFour<true, true>(channels, c, channelCount, n, dst);
        else if (aligned)
            interleaveFour<true, false>(channels, c, channelCount, n, dst);
        else
            interleaveFour<false, false>(channels, c, channelCount, n, dst);
    }
    if (channelCount - c >= 2) {
        if (aligned)
            interleavePairInFrames<true>(channels, c, channelCount, n, dst);
        else
            interleavePairInFrames<false>(channels, c, channelCount, n, dst);
        c += 2;
    }
    if (c < channelCount)
        copyFrames(channels, c, 1, channelCount, 0, n, dst);
}

inline void interleaveKernel(const float* const* channels, std::ptrdiff_t channelCount, std::ptrdiff_t n,
                             float* dst)
{
    if (kInterleaveTuning[kClass].twoChannelRoutine && channelCount == 2)
        interleaveTwo(channels, n, dst);
    else
        interleaveGeneral(channels, channelCount, n, dst);
}

// Every other float of src, four frames per step: Lanes picks the even or odd ones.
template <bool Aligned, int Lanes>
void takeEveryOther(const float* src, float* channel, std::ptrdiff_t blocks)
{
    for (; blocks > 0; --blocks, src += 8, channel += 4)
        store<Aligned>(channel, _mm_shuffle_ps(load<Aligned>(src), load<Aligned>(src + 4), Lanes));
}

template <bool Aligned>
void deinterleaveTwoBlocks(const float* src, float* const* channels, std::ptrdiff_t blocks)
{
    takeEveryOther<Aligned, _MM_SHUFFLE(2, 0, 2, 0)>(src, channels[0], blocks);
    takeEveryOther<Aligned, _MM_SHUFFLE(3, 1, 3, 1)>(src, channels[1], blocks);
}

inline void deinterleaveKernel(const float* src, std::ptrdiff_t channelCount, std::ptrdiff_t n,
                               float* const* channels)
{
    std::ptrdiff_t done = 0;
    if (channelCount == 2) {
        const std::ptrdiff_t blocks = n / 4;
        if (isAlignedTo(src, 16) && isAlignedTo(channels[0], 16) && isAlignedTo(channels[1], 16))
            deinterleaveTwoBlocks<true>(src, channels, blocks);
        else
            deinterleaveTwoBlocks<false>(src, channels, blocks);
        done = blocks * 4;
    }
    for (std::ptrdiff_t c = 0; c < channelCount; ++c)
        for (std::ptrdiff_t i = done; i < n; ++i)
            copyFloatBits(channels[c] + i, src + i * channelCount + c);
}
