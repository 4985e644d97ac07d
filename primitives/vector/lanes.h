// Four-float vectors of classes 1 to 5. Included inside a class namespace after
// elements.h and the class's intrinsic headers; the compile flags of
// the including source pick the forms that arrived with later instruction sets.

template <bool Aligned>
inline __m128 load(const float* p)
{
    if constexpr (Aligned) {
        return _mm_load_ps(p);
    } else {
#ifdef __SSE3__
        // The SSE3 form loads a vector that crosses a cache line without a split penalty.
        return _mm_castsi128_ps(_mm_lddqu_si128(reinterpret_cast<const __m128i*>(p)));
#else
        return _mm_loadu_ps(p);
#endif
    }
}

template <bool Aligned>
inline void store(float* p, __m128 v)
{
    if constexpr (Aligned)
        _mm_store_ps(p, v);
    else
        _mm_storeu_ps(p, v);
}

inline __m128 loadLane0(const float* p) { return _mm_set_ss(loadFloat(p)); }
inline void storeLane0(float* p, __m128 v) { storeFloat(p, _mm_cvtss_f32(v)); }

// The elements before the first 16-byte aligned one, at most n; 0 when p is not
// even 4-byte aligned, since such an array never reaches a 16-byte boundary.
inline std::ptrdiff_t elementsBeforeAlignment(const float* p, std::ptrdiff_t n)
{
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    if ((address & 3) != 0)
        return 0;
    const auto lead = static_cast<std::ptrdiff_t>(((16 - (address & 15)) & 15) / 4);
    return lead < n ? lead : n;
}

inline __m128 select(__m128 mask, __m128 ifSet, __m128 ifClear)
{
#ifdef __SSE4_1__
    return _mm_blendv_ps(ifClear, ifSet, mask);
#else
    return _mm_or_ps(_mm_and_ps(mask, ifSet), _mm_andnot_ps(mask, ifClear));
#endif
}
