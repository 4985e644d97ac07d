// Searches of classes 1 to 5: no checks, n >= 1. Included inside a class namespace
// after lanes.h, with kClass defined.
//
// Every vector step passes the new data as the first operand of the maximum
// (minimum) instruction, which returns its second operand unless the first is
// strictly larger (smaller). A lane therefore keeps its value against a NaN, as
// the scalar rule does, and the result is NaN only when src[0] is.

// What the classes do differently, in class order (the generic class has loops of its own).
struct ExtremaTuning {
    int prefetchBytesAhead;      // prefetch distance in the 16-float search loop; 0 for none
    bool streamBlocks;           // the block maxima of the indexed search prefetch non-temporally
    int laneGroupsPerIteration;  // groups of 4 each lane takes per step of the short indexed search;
                                 // from SSE2 on (class 1 searches it element by element)
};
constexpr ExtremaTuning kExtremaTuning[kCpuClassCount] = {
    {0, false, 0},    // generic
    {128, true, 0},   // sse
    {0, false, 1},    // sse2
    {128, false, 2},  // sse3
    {128, false, 2},  // ssse3
    {128, false, 2},  // sse41
};
constexpr ExtremaTuning kExtremaOfClass = kExtremaTuning[kClass];

struct MaxRule {
    static bool beats(float x, float best) { return x > best; }
    static __m128 keep(__m128 x, __m128 best) { return _mm_max_ps(x, best); }
};

struct MinRule {
    static bool beats(float x, float best) { return x < best; }
    static __m128 keep(__m128 x, __m128 best) { return _mm_min_ps(x, best); }
};

// Either every lane holds NaN or none does (all start from one value and never
// take a NaN), so the order of reduction decides at most the sign of a zero.
template <class Rule>
float reduceLanes(__m128 v)
{
    const __m128 half = Rule::keep(_mm_movehl_ps(v, v), v);
    return _mm_cvtss_f32(Rule::keep(_mm_shuffle_ps(half, half, 1), half));
}

template <class Rule>
float scanElements(const float* p, std::ptrdiff_t n, float best)
{
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        const float x = loadFloat(p + i);
        if (Rule::beats(x, best))
            best = x;
    }
    return best;
}

// Four independent accumulators hide the latency of the compare.
template <class Rule, bool Aligned>
__m128 searchGroupsOf16(const float* p, std::ptrdiff_t groups, __m128 acc)
{
    __m128 acc0 = acc, acc1 = acc, acc2 = acc, acc3 = acc;
    for (; groups > 0; --groups, p += 16) {
        if constexpr (kExtremaOfClass.prefetchBytesAhead > 0)
            _mm_prefetch(reinterpret_cast<const char*>(p) + kExtremaOfClass.prefetchBytesAhead, _MM_HINT_T0);
        acc0 = Rule::keep(load<Aligned>(p), acc0);
        acc1 = Rule::keep(load<Aligned>(p + 4), acc1);
        acc2 = Rule::keep(load<Aligned>(p + 8), acc2);
        acc3 = Rule::keep(load<Aligned>(p + 12), acc3);
    }
    return Rule::keep(Rule::keep(acc2, acc0), Rule::keep(acc3, acc1));
}

template <class Rule, bool Aligned>
float searchVectors(const float* p, std::ptrdiff_t n, float best)
{
    const std::ptrdiff_t groups = n / 16;
    __m128 acc = searchGroupsOf16<Rule, Aligned>(p, groups, _mm_set1_ps(best));
    for (p += groups * 16, n -= groups * 16; n >= 4; n -= 4, p += 4)
        acc = Rule::keep(load<Aligned>(p), acc);
    return reduceLanes<Rule>(acc);
}

template <class Rule>
float extremumKernel(const float* src, std::ptrdiff_t n)
{
    float best = loadFloat(src);
    const float* p = src + 1;
    --n;
    const std::ptrdiff_t lead = elementsBeforeAlignment(p, n);
    best = scanElements<Rule>(p, lead, best);
    p += lead;
    n -= lead;
    if (n >= 4) {
        best = isAlignedTo(p, 16) ? searchVectors<Rule, true>(p, n, best) : searchVectors<Rule, false>(p, n, best);
        p += n / 4 * 4;
        n %= 4;
    }
    return scanElements<Rule>(p, n, best);
}

inline float maxKernel(const float* src, std::ptrdiff_t n) { return extremumKernel<MaxRule>(src, n); }
inline float minKernel(const float* src, std::ptrdiff_t n) { return extremumKernel<MinRule>(src, n); }

// The maximum with its first position, elements from..to-1 by the scalar rule.
inline void scanIndexed(const float* src, std::ptrdiff_t from, std::ptrdiff_t to, float& best,
                        std::ptrdiff_t& position)
{
    for (std::ptrdiff_t i = from; i < to; ++i) {
        const float x = loadFloat(src + i);
        if (x > best) {
            best = x;
            position = i;
        }
    }
}

#ifdef __SSE2__
// Four lanes over aligned groups of 4 from position i, each with its own best and
// position; a lane takes an element only when it is strictly larger, so the first
// occurrence stays and NaN never enters. Returns the first position not searched.
inline std::ptrdiff_t searchIndexedLanes(const float* src, std::ptrdiff_t i, std::ptrdiff_t n, float& best,
                                         std::ptrdiff_t& position)
{
    constexpr int groupsPerStep = kExtremaOfClass.laneGroupsPerIteration;
    const auto at = static_cast<int>(i);
    __m128 laneBest = _mm_set1_ps(best);
    __m128i lanePosition = _mm_set1_epi32(static_cast<int>(position));
    __m128i candidate = _mm_setr_epi32(at, at + 1, at + 2, at + 3);
    for (; n - i >= 4 * groupsPerStep; i += 4 * groupsPerStep) {
        for (int g = 0; g < groupsPerStep; ++g) {
            const __m128 x = _mm_load_ps(src + i + 4 * g);
            const __m128 taken = _mm_cmplt_ps(laneBest, x);
            laneBest = select(taken, x, laneBest);
            lanePosition = _mm_castps_si128(
                select(taken, _mm_castsi128_ps(candidate), _mm_castsi128_ps(lanePosition)));
            candidate = _mm_add_epi32(candidate, _mm_set1_epi32(4));
        }
    }
    const float overall = reduceLanes<MaxRule>(laneBest);
    alignas(16) float bests[4];
    alignas(16) int positions[4];
    _mm_store_ps(bests, laneBest);
    _mm_store_si128(reinterpret_cast<__m128i*>(positions), lanePosition);
    // No lane equals a NaN overall: best and position keep src[0] then.
    bool found = false;
    for (int lane = 0; lane < 4; ++lane) {
        if (bests[lane] == overall && (!found || positions[lane] < position)) {
            position = positions[lane];
            found = true;
        }
    }
    if (found)
        best = overall;
    return i;
}
#endif

// Below this length the lanes (or the scalar rule) search; from it on, blocks.
constexpr std::ptrdiff_t kBlockSearchFrom = 34;
// 8 KiB: a block whose maximum beats the running best is searched again while cached.
constexpr std::ptrdiff_t kBlockFloats = 2048;

inline float shortMaxIndex(const float* src, std::ptrdiff_t n, std::ptrdiff_t& position)
{
    float best = loadFloat(src);
    position = 0;
    std::ptrdiff_t i = 1;
#ifdef __SSE2__
    const std::ptrdiff_t lead = elementsBeforeAlignment(src + 1, n - 1);
    if (isAlignedTo(src, 4) && n - 1 >= lead + 4 * kExtremaOfClass.laneGroupsPerIteration) {
        scanIndexed(src, 1, 1 + lead, best, position);
        i = searchIndexedLanes(src, 1 + lead, n, best, position);
    }
#endif
    scanIndexed(src, i, n, best, position);
    return best;
}

// The maximum of a 16-byte aligned block of count floats (a multiple of 8) and of
// best. Seeding the lanes with best keeps a NaN inside the block out of the result.
inline float blockMax(const float* block, std::ptrdiff_t count, float best)
{
    __m128 acc0 = _mm_set1_ps(best), acc1 = acc0;
    for (std::ptrdiff_t k = 0; k < count; k += 8) {
        if constexpr (kExtremaOfClass.streamBlocks)
            _mm_prefetch(reinterpret_cast<const char*>(block + k) + 64, _MM_HINT_NTA);
        acc0 = _mm_max_ps(_mm_load_ps(block + k), acc0);
        acc1 = _mm_max_ps(_mm_load_ps(block + k + 4), acc1);
    }
    return reduceLanes<MaxRule>(_mm_max_ps(acc1, acc0));
}

// The lowest set bit of a nonzero 4-lane compare mask, without the bit-scan
// instructions (their zero-safe form belongs to a later instruction set).
inline int firstLane(int mask) { return (mask & 1) ? 0 : (mask & 2) ? 1 : (mask & 4) ? 2 : 3; }

// The position of the first element equal to value, which must be an element of
// the 16-byte aligned block. Values compare equal, so a zero maximum is found as
// the first zero of either sign.
inline std::ptrdiff_t findFirst(const float* block, float value)
{
    const __m128 wanted = _mm_set1_ps(value);
    for (std::ptrdiff_t k = 0;; k += 8) {
        const int low = _mm_movemask_ps(_mm_cmpeq_ps(_mm_load_ps(block + k), wanted));
        const int high = _mm_movemask_ps(_mm_cmpeq_ps(_mm_load_ps(block + k + 4), wanted));
        if (low != 0)
            return k + firstLane(low);
        if (high != 0)
            return k + 4 + firstLane(high);
    }
}

inline float blockwiseMaxIndex(const float* src, std::ptrdiff_t n, std::ptrdiff_t& position)
{
    float best = loadFloat(src);
    position = 0;
    // An array that is not 4-byte aligned never reaches a 16-byte boundary:
    // element by element, so nothing past its end is read.
    if (!isAlignedTo(src, 4)) {
        scanIndexed(src, 1, n, best, position);
        return best;
    }
    std::ptrdiff_t i = 1 + elementsBeforeAlignment(src + 1, n - 1);
    scanIndexed(src, 1, i, best, position);
    for (const std::ptrdiff_t blocksEnd = i + (n - i) / 8 * 8; i < blocksEnd;) {
        const std::ptrdiff_t count = blocksEnd - i < kBlockFloats ? blocksEnd - i : kBlockFloats;
        const float candidate = blockMax(src + i, count, best);
        if (candidate > best) {
            best = candidate;
            position = i + findFirst(src + i, candidate);
        }
        i += count;
    }
    scanIndexed(src, i, n, best, position);
    return best;
}

inline float maxIndexKernel(const float* src, std::ptrdiff_t n, std::ptrdiff_t& position)
{
    return n < kBlockSearchFrom ? shortMaxIndex(src, n, position) : blockwiseMaxIndex(src, n, position);
}
