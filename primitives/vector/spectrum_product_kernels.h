// Spectrum-product kernels of classes 1 to 5. Included inside a class namespace
// after lanes.h, with kClass defined. Every product rounds to float before the
// sum or difference, which rounds again.

// What the classes do differently, in class order (the generic class has loops of its own).
struct SpectrumProductTuning {
    int prefetchBytesAhead;  // prefetch distance of both sources in each group of four pairs; 0 for none
};
constexpr SpectrumProductTuning kSpectrumProductTuning[kCpuClassCount] = {
    {0},    // generic
    {128},  // sse
    {0},    // sse2
    {128},  // sse3
    {0},    // ssse3
    {0},    // sse41
};

inline void realProducts(const float* a, const float* b, float* dst, std::ptrdiff_t n)
{
    for (std::ptrdiff_t k = 0; k < n; ++k)
        storeFloat(dst + k, loadFloat(a + k) * loadFloat(b + k));
}

#ifdef __SSE3__
// Two pairs per register: (ar*br, ai*br) alternately minus and plus (ai*bi, ar*bi).
inline __m128 twoPairProducts(__m128 a, __m128 b)
{
    const __m128 swapped = _mm_shuffle_ps(a, a, _MM_SHUFFLE(2, 3, 0, 1));
    const __m128 byReal = _mm_mul_ps(a, _mm_moveldup_ps(b));
    const __m128 byImaginary = _mm_mul_ps(swapped, _mm_movehdup_ps(b));
    return _mm_addsub_ps(byReal, byImaginary);
}

inline void fourPairProducts(__m128 a0, __m128 a1, __m128 b0, __m128 b1, __m128& d0, __m128& d1)
{
    d0 = twoPairProducts(a0, b0);
    d1 = twoPairProducts(a1, b1);
}
#else
// Without alternating add/subtract: split into real and imaginary parts, four pairs at a time.
inline void fourPairProducts(__m128 a0, __m128 a1, __m128 b0, __m128 b1, __m128& d0, __m128& d1)
{
    const __m128 ar = _mm_shuffle_ps(a0, a1, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 ai = _mm_shuffle_ps(a0, a1, _MM_SHUFFLE(3, 1, 3, 1));
    const __m128 br = _mm_shuffle_ps(b0, b1, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 bi = _mm_shuffle_ps(b0, b1, _MM_SHUFFLE(3, 1, 3, 1));
    const __m128 re = _mm_sub_ps(_mm_mul_ps(ar, br), _mm_mul_ps(ai, bi));
    const __m128 im = _mm_add_ps(_mm_mul_ps(ar, bi), _mm_mul_ps(br, ai));
    d0 = _mm_unpacklo_ps(re, im);
    d1 = _mm_unpackhi_ps(re, im);
}
#endif

// Every input of a group is loaded before any output is stored, so dst may be a or b.
template <bool AAligned, bool BAligned, bool DstAligned>
void pairGroupsOf4(const float* a, const float* b, float* dst, std::ptrdiff_t groups)
{
    for (; groups > 0; --groups, a += 8, b += 8, dst += 8) {
        if constexpr (kSpectrumProductTuning[kClass].prefetchBytesAhead > 0) {
            _mm_prefetch(reinterpret_cast<const char*>(a) + kSpectrumProductTuning[kClass].prefetchBytesAhead, _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char*>(b) + kSpectrumProductTuning[kClass].prefetchBytesAhead, _MM_HINT_T0);
        }
        const __m128 a0 = load<AAligned>(a), a1 = load<AAligned>(a + 4);
        const __m128 b0 = load<BAligned>(b), b1 = load<BAligned>(b + 4);
        __m128 d0, d1;
        fourPairProducts(a0, a1, b0, b1, d0, d1);
        store<DstAligned>(dst, d0);
        store<DstAligned>(dst + 4, d1);
    }
}

inline void pairProducts(const float* a, const float* b, float* dst, std::ptrdiff_t pairs)
{
    const std::ptrdiff_t groups = pairs / 4;
    if (!isAlignedTo(dst, 16))
        pairGroupsOf4<false, false, false>(a, b, dst, groups);
    else if (!isAlignedTo(b, 16))
        pairGroupsOf4<false, false, true>(a, b, dst, groups);
    else if (!isAlignedTo(a, 16))
        pairGroupsOf4<false, true, true>(a, b, dst, groups);
    else
        pairGroupsOf4<true, true, true>(a, b, dst, groups);
    for (std::ptrdiff_t k = 8 * groups; k < 2 * pairs; k += 2) {
        const float ar = loadFloat(a + k), ai = loadFloat(a + k + 1);
        const float br = loadFloat(b + k), bi = loadFloat(b + k + 1);
        storeFloat(dst + k, ar * br - ai * bi);
        storeFloat(dst + k + 1, ar * bi + ai * br);
    }
}

// Four bins' complex products in the split layout, rounded as pairProducts rounds them.
inline void splitProducts(__m128 ar, __m128 ai, __m128 br, __m128 bi, __m128& re, __m128& im)
{
    re = _mm_sub_ps(_mm_mul_ps(ar, br), _mm_mul_ps(ai, bi));
    im = _mm_add_ps(_mm_mul_ps(ar, bi), _mm_mul_ps(ai, br));
}

// The block of four bins at a, b and sum (four real parts, then four imaginary
// parts) into its sums. With RealFirst the first lane is bin 0 of a packed
// spectrum: its two real products.
template <bool Aligned, bool RealFirst>
inline __attribute__((always_inline)) void splitBlockStep(const float* a, const float* b, float* sum)
{
    const __m128 ar = load<Aligned>(a), ai = load<Aligned>(a + 4);
    const __m128 br = load<Aligned>(b), bi = load<Aligned>(b + 4);
    __m128 re, im;
    splitProducts(ar, ai, br, bi, re, im);
    if constexpr (RealFirst) {
        const __m128 firstLane = _mm_set_ss(__builtin_bit_cast(float, 0xFFFFFFFFu));
        re = select(firstLane, _mm_mul_ps(ar, br), re);
        im = select(firstLane, _mm_mul_ps(ai, bi), im);
    }
    store<Aligned>(sum, _mm_add_ps(load<Aligned>(sum), re));
    store<Aligned>(sum + 4, _mm_add_ps(load<Aligned>(sum + 4), im));
}

// Lane `lane` of the block at a, b and sum with scalar operations.
inline void splitLaneStep(const float* a, const float* b, float* sum, std::ptrdiff_t lane, bool realBin)
{
    const float ar = loadFloat(a + lane), ai = loadFloat(a + 4 + lane);
    const float br = loadFloat(b + lane), bi = loadFloat(b + 4 + lane);
    storeFloat(sum + lane, loadFloat(sum + lane) + (realBin ? ar * br : ar * br - ai * bi));
    storeFloat(sum + 4 + lane, loadFloat(sum + 4 + lane) + (realBin ? ai * bi : ar * bi + ai * br));
}

// The rows stream once from start to end, from beyond the first-level cache,
// while the sums stay in it: one row at a time, read straight through, which is
// what the processor's own prefetchers follow best. Keeping a strip's sums in
// registers across rows reads the rows out of order, and asking for data ahead
// only doubles the prefetchers' work: both measured slower in the engine.
template <bool Aligned>
void splitProductSumsOf(const float* a, const float* b, float* sum, std::ptrdiff_t bins, std::ptrdiff_t rows,
                        bool realFirstBin)
{
    const std::ptrdiff_t blocks = bins / 4;
    const std::ptrdiff_t tail = bins % 4;
    const std::ptrdiff_t rowFloats = 8 * (blocks + (tail > 0 ? 1 : 0));
    for (; rows > 0; --rows, a += rowFloats, b += rowFloats) {
        std::ptrdiff_t j = 0;
        if (realFirstBin && blocks > 0) {
            splitBlockStep<Aligned, true>(a, b, sum);
            j = 1;
        }
        for (; j < blocks; ++j)
            splitBlockStep<Aligned, false>(a + 8 * j, b + 8 * j, sum + 8 * j);
        const std::ptrdiff_t last = 8 * blocks;
        for (std::ptrdiff_t lane = 0; lane < tail; ++lane)
            splitLaneStep(a + last, b + last, sum + last, lane, realFirstBin && blocks == 0 && lane == 0);
    }
}

inline void splitProductSums(const float* a, const float* b, float* sum, std::ptrdiff_t bins, std::ptrdiff_t rows,
                             bool realFirstBin)
{
    if (isAlignedTo(a, 16) && isAlignedTo(b, 16) && isAlignedTo(sum, 16))
        splitProductSumsOf<true>(a, b, sum, bins, rows, realFirstBin);
    else
        splitProductSumsOf<false>(a, b, sum, bins, rows, realFirstBin);
}
