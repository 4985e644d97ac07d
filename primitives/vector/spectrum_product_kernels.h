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
            _mm_prefetch(reinterpret_cast<const char*>(a) + kSpectrumProductTuning[kClass].prefetchBytesAhead,
                         _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char*>(b) + kSpectrumProductTuning[kClass].prefetchBytesAhead,
                         _MM_HINT_T0);
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

// A loaded vector the compiler must keep in a register: left to itself it
// folds every use into a load of its own, and a row then costs twice the loads,
// which bound the loop.
template <bool Aligned>
inline __attribute__((always_inline)) __m128 loadOnce(const float* p)
{
    __m128 v = load<Aligned>(p);
    asm("" : "+x"(v));
    return v;
}

// One row of a strip (two blocks of four bins) into the strip's sums. With
// RealFirst the first lane is bin 0 of a packed spectrum: its two real products.
template <bool Aligned, bool RealFirst>
inline __attribute__((always_inline)) void stripRowStep(const float* a, const float* b, __m128& re0, __m128& im0,
                                                        __m128& re1, __m128& im1)
{
    __m128 productRe0, productIm0, productRe1, productIm1;
    const __m128 ar0 = loadOnce<Aligned>(a), ai0 = loadOnce<Aligned>(a + 4);
    const __m128 br0 = loadOnce<Aligned>(b), bi0 = loadOnce<Aligned>(b + 4);
    splitProducts(ar0, ai0, br0, bi0, productRe0, productIm0);
    if constexpr (RealFirst) {
        const __m128 firstLane = _mm_set_ss(__builtin_bit_cast(float, 0xFFFFFFFFu));
        productRe0 = select(firstLane, _mm_mul_ps(ar0, br0), productRe0);
        productIm0 = select(firstLane, _mm_mul_ps(ai0, bi0), productIm0);
    }
    splitProducts(loadOnce<Aligned>(a + 8), loadOnce<Aligned>(a + 12), loadOnce<Aligned>(b + 8),
                  loadOnce<Aligned>(b + 12), productRe1, productIm1);
    re0 = _mm_add_ps(re0, productRe0);
    im0 = _mm_add_ps(im0, productIm0);
    re1 = _mm_add_ps(re1, productRe1);
    im1 = _mm_add_ps(im1, productIm1);
}

// Inner loops written out, because the processor issues only so many
// instructions a cycle: one index counting up to zero serves every stream, so
// the loop costs one instruction beside a row's loads, copies and arithmetic,
// where the compiler's own loop costs three. They read a block of four bins of
// a row at byte offset off: x's real and imaginary parts stay in xr and xi for
// every y, whose products, rounded as splitProducts rounds them, go into re
// and im. Each row asks for y's row 32 rows ahead: y (a row of cells) streams
// from memory, and the processor's own prefetchers keep too few lines in
// flight for one core to draw the memory's bandwidth.
#define SPLIT_SUMS_LOAD_X(off) \
    "movaps " #off             \
    "(%[x],%[r]), %[xr]\n\t"   \
    "movaps " #off "+16(%[x],%[r]), %[xi]\n\t"
#define SPLIT_SUMS_PREFETCH(y) "prefetcht0 2048(%[" #y "],%[r])\n\t"
#define SPLIT_SUMS_ADD(off, y, re, im) \
    "movaps " #off "(%[" #y            \
    "],%[r]), %[yr]\n\t"               \
    "movaps " #off "+16(%[" #y         \
    "],%[r]), %[yi]\n\t"               \
    "movaps %[xr], %[t0]\n\t"          \
    "mulps %[yr], %[t0]\n\t"           \
    "movaps %[xi], %[t1]\n\t"          \
    "mulps %[yi], %[t1]\n\t"           \
    "subps %[t1], %[t0]\n\t"           \
    "mulps %[xr], %[yi]\n\t"           \
    "mulps %[xi], %[yr]\n\t"           \
    "addps %[yr], %[yi]\n\t"           \
    "addps %[t0], %[" #re              \
    "]\n\t"                            \
    "addps %[yi], %[" #im "]\n\t"

// A strip's sums: two blocks of four bins, each the real then the imaginary sums.
struct StripSums {
    __m128 re0, im0, re1, im1;
};

inline StripSums loadStripSums(const float* sum)
{
    return {load<true>(sum), load<true>(sum + 4), load<true>(sum + 8), load<true>(sum + 12)};
}

inline void storeStripSums(const StripSums& sums, float* sum)
{
    store<true>(sum, sums.re0);
    store<true>(sum + 4, sums.im0);
    store<true>(sum + 8, sums.re1);
    store<true>(sum + 12, sums.im1);
}

// The sanitizers see no access inside inline assembly: their builds take the
// intrinsic loops, which give the same bits.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SPLIT_SUMS_WRITTEN_OUT 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define SPLIT_SUMS_WRITTEN_OUT 0
#endif
#endif
#ifndef SPLIT_SUMS_WRITTEN_OUT
#define SPLIT_SUMS_WRITTEN_OUT 1
#endif

inline void rowSums(const float* x, const float* y, StripSums& s)
{
    stripRowStep<true, false>(x, y, s.re0, s.im0, s.re1, s.im1);
}

// An aligned run of rows (none or more) from x and y into one output's sums.
inline void alignedRunSums(const float* x, const float* y, std::ptrdiff_t rows, StripSums& s)
{
    if (rows < 1)
        return;  // the written-out loop runs at least once
#if SPLIT_SUMS_WRITTEN_OUT
    // The index counts whole rows of 64 bytes up to zero from the runs' ends.
    std::ptrdiff_t r = -64 * rows;
    const char* xEnd = reinterpret_cast<const char*>(x + 16 * rows);
    const char* yEnd = reinterpret_cast<const char*>(y + 16 * rows);
    __m128 xr, xi, yr, yi, t0, t1;
    asm("1:\n\t" SPLIT_SUMS_PREFETCH(y) SPLIT_SUMS_LOAD_X(0) SPLIT_SUMS_ADD(0, y, re0, im0) SPLIT_SUMS_LOAD_X(32)
            SPLIT_SUMS_ADD(32, y, re1, im1) "add $64, %[r]\n\t"
                                            "jnz 1b"
        : [r] "+r"(r), [re0] "+x"(s.re0), [im0] "+x"(s.im0), [re1] "+x"(s.re1), [im1] "+x"(s.im1), [xr] "=&x"(xr),
          [xi] "=&x"(xi), [yr] "=&x"(yr), [yi] "=&x"(yi), [t0] "=&x"(t0), [t1] "=&x"(t1)
        : [x] "r"(xEnd), [y] "r"(yEnd)
        : "cc", "memory");
#else
    for (std::ptrdiff_t r = 0; r < 16 * rows; r += 16)
        rowSums(x + r, y + r, s);
#endif
}

// The same rows of x against y and z into two outputs' sums: each row of x is
// loaded once for both, and two cells stream at once.
inline void alignedRunPairSums(const float* x, const float* y, const float* z, std::ptrdiff_t rows, StripSums& s,
                               StripSums& u)
{
    if (rows < 1)
        return;
#if SPLIT_SUMS_WRITTEN_OUT
    std::ptrdiff_t r = -64 * rows;
    const char* xEnd = reinterpret_cast<const char*>(x + 16 * rows);
    const char* yEnd = reinterpret_cast<const char*>(y + 16 * rows);
    const char* zEnd = reinterpret_cast<const char*>(z + 16 * rows);
    __m128 xr, xi, yr, yi, t0, t1;
    asm("1:\n\t" SPLIT_SUMS_PREFETCH(y) SPLIT_SUMS_PREFETCH(z) SPLIT_SUMS_LOAD_X(0) SPLIT_SUMS_ADD(0, y, re0, im0)
            SPLIT_SUMS_ADD(0, z, ure0, uim0)
            SPLIT_SUMS_LOAD_X(32) SPLIT_SUMS_ADD(32, y, re1, im1) SPLIT_SUMS_ADD(32, z, ure1, uim1)
                "add $64, %[r]\n\t"
                "jnz 1b"
        : [r] "+r"(r), [re0] "+x"(s.re0), [im0] "+x"(s.im0), [re1] "+x"(s.re1), [im1] "+x"(s.im1),
          [ure0] "+x"(u.re0), [uim0] "+x"(u.im0), [ure1] "+x"(u.re1), [uim1] "+x"(u.im1), [xr] "=&x"(xr),
          [xi] "=&x"(xi), [yr] "=&x"(yr), [yi] "=&x"(yi), [t0] "=&x"(t0), [t1] "=&x"(t1)
        : [x] "r"(xEnd), [y] "r"(yEnd), [z] "r"(zEnd)
        : "cc", "memory");
#else
    for (std::ptrdiff_t r = 0; r < 16 * rows; r += 16) {
        rowSums(x + r, y + r, s);
        rowSums(x + r, z + r, u);
    }
#endif
}
#undef SPLIT_SUMS_WRITTEN_OUT
#undef SPLIT_SUMS_ADD
#undef SPLIT_SUMS_PREFETCH
#undef SPLIT_SUMS_LOAD_X

// A strip's sums stay in registers across every run and row, and each run's
// rows of the strip are one straight stream: the processor's prefetchers
// follow it, and the sums cost no load or store per row.
template <bool Aligned, bool RealFirst>
void stripSums(const float* const* a, const float* const* b, const int* rows, std::ptrdiff_t runs, std::ptrdiff_t strip,
               SplitStrides strides, float* sum)
{
    const std::ptrdiff_t aOffset = strip * strides.a, bOffset = strip * strides.b;
    if constexpr (Aligned && !RealFirst) {
        StripSums sums = loadStripSums(sum);
        for (std::ptrdiff_t t = 0; t < runs; ++t)
            alignedRunSums(a[t] + aOffset, b[t] + bOffset, rows[t], sums);
        storeStripSums(sums, sum);
    } else {
        __m128 re0 = load<Aligned>(sum), im0 = load<Aligned>(sum + 4);
        __m128 re1 = load<Aligned>(sum + 8), im1 = load<Aligned>(sum + 12);
        for (std::ptrdiff_t t = 0; t < runs; ++t) {
            const float* x = a[t] + aOffset;
            const float* y = b[t] + bOffset;
            const std::ptrdiff_t end = std::ptrdiff_t{16} * rows[t];
            for (std::ptrdiff_t r = 0; r < end; r += 16)
                stripRowStep<Aligned, RealFirst>(x + r, y + r, re0, im0, re1, im1);
        }
        store<Aligned>(sum, re0);
        store<Aligned>(sum + 4, im0);
        store<Aligned>(sum + 8, re1);
        store<Aligned>(sum + 12, im1);
    }
}

// Two outputs' sums of an aligned strip, which is not bin 0's.
inline void pairStripSums(const float* const* a, const float* const* b, const float* const* c, const int* rows,
                          std::ptrdiff_t runs, std::ptrdiff_t strip, SplitStrides strides, float* sum, float* otherSum)
{
    const std::ptrdiff_t aOffset = strip * strides.a, bOffset = strip * strides.b;
    StripSums sums = loadStripSums(sum), otherSums = loadStripSums(otherSum);
    for (std::ptrdiff_t t = 0; t < runs; ++t)
        alignedRunPairSums(a[t] + aOffset, b[t] + bOffset, c[t] + bOffset, rows[t], sums, otherSums);
    storeStripSums(sums, sum);
    storeStripSums(otherSums, otherSum);
}

// The strip beyond the full ones, whose bins fill only part of it.
template <bool Aligned>
void tailStripSums(const float* const* a, const float* const* b, const int* rows, std::ptrdiff_t runs, float* sum,
                   std::ptrdiff_t bins, SplitStrides strides, bool realFirstBin)
{
    const std::ptrdiff_t fullStrips = bins / 8;
    const std::ptrdiff_t tailBins = bins % 8;
    if (tailBins == 0)
        return;
    // The sums' padding lanes may be another array's: only the bins are written.
    alignas(16) float partial[16] = {};
    float* tail = sum + 16 * fullStrips;
    for (std::ptrdiff_t k = 0; k < tailBins; ++k) {
        partial[splitRealIndex(k)] = loadFloat(tail + splitRealIndex(k));
        partial[splitRealIndex(k) + 4] = loadFloat(tail + splitRealIndex(k) + 4);
    }
    if (realFirstBin && fullStrips == 0)
        stripSums<Aligned, true>(a, b, rows, runs, fullStrips, strides, partial);
    else
        stripSums<Aligned, false>(a, b, rows, runs, fullStrips, strides, partial);
    for (std::ptrdiff_t k = 0; k < tailBins; ++k) {
        storeFloat(tail + splitRealIndex(k), partial[splitRealIndex(k)]);
        storeFloat(tail + splitRealIndex(k) + 4, partial[splitRealIndex(k) + 4]);
    }
}

template <bool Aligned>
void splitProductSumsOf(const float* const* a, const float* const* b, const int* rows, std::ptrdiff_t runs, float* sum,
                        std::ptrdiff_t bins, SplitStrides strides, bool realFirstBin)
{
    const std::ptrdiff_t fullStrips = bins / 8;
    std::ptrdiff_t s = 0;
    if (realFirstBin && fullStrips > 0) {
        stripSums<Aligned, true>(a, b, rows, runs, 0, strides, sum);
        s = 1;
    }
    for (; s < fullStrips; ++s)
        stripSums<Aligned, false>(a, b, rows, runs, s, strides, sum + 16 * s);
    tailStripSums<Aligned>(a, b, rows, runs, sum, bins, strides, realFirstBin);
}

inline bool runsAligned(const float* const* a, const float* const* b, std::ptrdiff_t runs, const float* sum,
                        SplitStrides strides)
{
    bool aligned = isAlignedTo(sum, 16) && strides.a % 4 == 0 && strides.b % 4 == 0;
    for (std::ptrdiff_t t = 0; t < runs && aligned; ++t)
        aligned = isAlignedTo(a[t], 16) && isAlignedTo(b[t], 16);
    return aligned;
}

inline void splitProductSums(const float* const* a, const float* const* b, const int* rows, std::ptrdiff_t runs,
                             float* sum, std::ptrdiff_t bins, SplitStrides strides, bool realFirstBin)
{
    if (runsAligned(a, b, runs, sum, strides))
        splitProductSumsOf<true>(a, b, rows, runs, sum, bins, strides, realFirstBin);
    else
        splitProductSumsOf<false>(a, b, rows, runs, sum, bins, strides, realFirstBin);
}

// Two outputs' sums over the same rows of a: their full strips other than bin
// 0's in one pass when everything is aligned, the rest as each output's own.
inline void splitProductPairSums(const float* const* a, const float* const* b, const float* const* c, const int* rows,
                                 std::ptrdiff_t runs, float* sum, float* otherSum, std::ptrdiff_t bins,
                                 SplitStrides strides, bool realFirstBin)
{
    const std::ptrdiff_t fullStrips = bins / 8;
    const std::ptrdiff_t first = realFirstBin ? 1 : 0;
    if (fullStrips <= first || !runsAligned(a, b, runs, sum, strides) || !runsAligned(a, c, runs, otherSum, strides)) {
        splitProductSums(a, b, rows, runs, sum, bins, strides, realFirstBin);
        splitProductSums(a, c, rows, runs, otherSum, bins, strides, realFirstBin);
        return;
    }
    if (realFirstBin) {
        stripSums<true, true>(a, b, rows, runs, 0, strides, sum);
        stripSums<true, true>(a, c, rows, runs, 0, strides, otherSum);
    }
    for (std::ptrdiff_t s = first; s < fullStrips; ++s)
        pairStripSums(a, b, c, rows, runs, s, strides, sum + 16 * s, otherSum + 16 * s);
    tailStripSums<true>(a, b, rows, runs, sum, bins, strides, realFirstBin);
    tailStripSums<true>(a, c, rows, runs, otherSum, bins, strides, realFirstBin);
}
