// Element-wise kernels of classes 1 to 5: no checks, n >= 1. Included inside a
// class namespace after lanes.h, with kClass defined.

// What the classes do differently, in class order (the generic class has loops of its own).
struct ArithmeticTuning {
    // Scaling of more than this many floats prefetches non-temporally: such arrays
    // outgrow the caches of the class's processors (512 KiB for classes 1 and 2,
    // 1 MiB from class 3 on).
    std::ptrdiff_t mulConstStreamingFrom;
};
constexpr ArithmeticTuning kArithmeticTuning[kCpuClassCount] = {
    {0},       // generic
    {131072},  // sse
    {131072},  // sse2
    {262144},  // sse3
    {262144},  // ssse3
    {262144},  // sse41
};

// Below this, aligning the array (up to 3 single elements) could leave no group of 8.
constexpr std::ptrdiff_t kGroupedFrom = 11;

inline __m128 clearSign(__m128 x) { return _mm_and_ps(x, _mm_set1_ps(__builtin_bit_cast(float, 0x7FFFFFFFu))); }

inline void absElements(float* p, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        storeLane0(p + i, clearSign(loadLane0(p + i)));
}

template <bool Aligned>
void absGroupsOf16(float* p, std::ptrdiff_t groups)
{
    for (; groups > 0; --groups, p += 16) {
        const __m128 x0 = load<Aligned>(p), x1 = load<Aligned>(p + 4);
        const __m128 x2 = load<Aligned>(p + 8), x3 = load<Aligned>(p + 12);
        store<Aligned>(p, clearSign(x0));
        store<Aligned>(p + 4, clearSign(x1));
        store<Aligned>(p + 8, clearSign(x2));
        store<Aligned>(p + 12, clearSign(x3));
    }
}

// Clearing the sign bit leaves NaN payloads as they are.
inline void absKernel(float* p, std::ptrdiff_t n)
{
    const std::ptrdiff_t lead = elementsBeforeAlignment(p, n);
    absElements(p, lead);
    p += lead;
    n -= lead;
    const std::ptrdiff_t groups = n / 16;
    if (isAlignedTo(p, 16))
        absGroupsOf16<true>(p, groups);
    else
        absGroupsOf16<false>(p, groups);
    p += groups * 16;
    n -= groups * 16;
    for (; n >= 4; n -= 4, p += 4)
        store<false>(p, clearSign(load<false>(p)));
    absElements(p, n);
}

inline void addElements(const float* src, float* dst, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        storeFloat(dst + i, loadFloat(dst + i) + loadFloat(src + i));
}

// Each vector is loaded, added and stored before the next: src may be dst itself.
template <bool DstAligned, bool SrcAligned>
void addFour(const float* src, float* dst)
{
    store<DstAligned>(dst, _mm_add_ps(load<DstAligned>(dst), load<SrcAligned>(src)));
}

// n a multiple of 8: 16 floats per step with one prefetch of the next 64-byte
// line of src, then a last group of 8.
template <bool DstAligned, bool SrcAligned>
void addGroups(const float* src, float* dst, std::ptrdiff_t n)
{
    std::ptrdiff_t k = 0;
    for (; k + 16 <= n; k += 16) {
        _mm_prefetch(reinterpret_cast<const char*>(src + k) + 64, _MM_HINT_T0);
        addFour<DstAligned, SrcAligned>(src + k, dst + k);
        addFour<DstAligned, SrcAligned>(src + k + 4, dst + k + 4);
        addFour<DstAligned, SrcAligned>(src + k + 8, dst + k + 8);
        addFour<DstAligned, SrcAligned>(src + k + 12, dst + k + 12);
    }
    for (; k < n; k += 4)
        addFour<DstAligned, SrcAligned>(src + k, dst + k);
}

inline void addKernel(const float* src, float* dst, std::ptrdiff_t n)
{
    if (n >= kGroupedFrom) {
        const std::ptrdiff_t lead = elementsBeforeAlignment(dst, n);
        addElements(src, dst, lead);
        src += lead;
        dst += lead;
        n -= lead;
        const std::ptrdiff_t grouped = n / 8 * 8;
        if (!isAlignedTo(dst, 16))
            addGroups<false, false>(src, dst, grouped);
        else if (isAlignedTo(src, 16))
            addGroups<true, true>(src, dst, grouped);
        else
            addGroups<true, false>(src, dst, grouped);
        src += grouped;
        dst += grouped;
        n -= grouped;
    }
    addElements(src, dst, n);
}

inline void mulConstElements(float value, float* p, std::ptrdiff_t n)
{
    for (std::ptrdiff_t i = 0; i < n; ++i)
        storeFloat(p + i, loadFloat(p + i) * value);
}

template <bool Aligned, bool Streaming>
void mulConstGroupsOf8(__m128 value, float* p, std::ptrdiff_t groups)
{
    for (; groups > 0; --groups, p += 8) {
        if constexpr (Streaming)
            _mm_prefetch(reinterpret_cast<const char*>(p) + 64, _MM_HINT_NTA);
        const __m128 x0 = load<Aligned>(p), x1 = load<Aligned>(p + 4);
        store<Aligned>(p, _mm_mul_ps(x0, value));
        store<Aligned>(p + 4, _mm_mul_ps(x1, value));
    }
}

template <bool Aligned>
void mulConstGroups(__m128 value, float* p, std::ptrdiff_t groups)
{
    // Arrays larger than the caches pass through once: keep them from evicting the rest.
    if (groups * 8 > kArithmeticTuning[kClass].mulConstStreamingFrom)
        mulConstGroupsOf8<Aligned, true>(value, p, groups);
    else
        mulConstGroupsOf8<Aligned, false>(value, p, groups);
}

inline void mulConstKernel(float value, float* p, std::ptrdiff_t n)
{
    if (n >= kGroupedFrom) {
        const std::ptrdiff_t lead = elementsBeforeAlignment(p, n);
        mulConstElements(value, p, lead);
        p += lead;
        n -= lead;
        const std::ptrdiff_t groups = n / 8;
        if (isAlignedTo(p, 16))
            mulConstGroups<true>(_mm_set1_ps(value), p, groups);
        else
            mulConstGroups<false>(_mm_set1_ps(value), p, groups);
        p += groups * 8;
        n -= groups * 8;
    }
    mulConstElements(value, p, n);
}
