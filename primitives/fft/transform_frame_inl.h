// What the transform bodies of every class share around their own steps: the
// spec's tables, the work area and the NyquistLast move. Included inside a
// class namespace, after real_fft.h and memory.h, so each class has its own copy.

inline const float* floatTableOf(const dspRealFftSpec* spec, std::uint32_t offset)
{
    return reinterpret_cast<const float*>(reinterpret_cast<const char*>(spec) + offset);
}

inline const std::int32_t* wordTableOf(const dspRealFftSpec* spec, std::uint32_t offset)
{
    return reinterpret_cast<const std::int32_t*>(reinterpret_cast<const char*>(spec) + offset);
}

// The work memory of one transform: the caller's buffer from its first 32-byte
// boundary, or a block of the spec's workSize allocated for this call and
// released when the area goes out of scope. None when workSize is 0.
class WorkArea {
public:
    WorkArea() = default;
    WorkArea(const WorkArea&) = delete;
    WorkArea& operator=(const WorkArea&) = delete;
    ~WorkArea() { cls_all::free(allocated); }

    // False when work memory is needed, the caller gave none and none could be allocated.
    bool obtain(const dspRealFftSpec* spec, void* buffer)
    {
        if (spec->workSize < 1)
            return true;
        if (buffer == nullptr) {
            allocated = cls_all::allocBytes(spec->workSize);
            area = allocated;
            return allocated != nullptr;
        }
        const auto address = reinterpret_cast<std::uintptr_t>(buffer);
        area = reinterpret_cast<void*>((address + 31) & ~std::uintptr_t{31});
        return true;
    }

    void* area = nullptr;

private:
    void* allocated = nullptr;
};

// [R0, R(N/2), R1, I1, ...] becomes [R0, R1, I1, ..., R(N/2)]; bit patterns move unchanged.
inline void moveNyquistLast(float* data, int n)
{
    if (n <= 2)
        return;
    const float nyquist = data[1];
    for (int i = 1; i <= n - 2; ++i)
        data[i] = data[i + 1];
    data[n - 1] = nyquist;
}
