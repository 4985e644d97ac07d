// What the real-transform bodies of every class share around their own steps:
// the argument checks, the closed forms of orders 0 to 3, the work area, the
// record's scaling, the DC and Nyquist pair and the NyquistLast move. Included
// inside a class namespace after record_tables_inl.h, with fft_direction.h,
// memory.h, real_fft.h, generic_steps.h, status.h and the class's mulConstInPlace
// declared above, so each class has its own copy.

// Whether the FFT record multiplies this direction's results by its scale factor.
inline bool scalesResults(const dspRealFftSpec* spec, FftDirection direction)
{
    return (direction == FftDirection::Forward ? spec->scaleForward : spec->scaleInverse) == 1;
}

// The work memory of one transform: the caller's buffer from its first 32-byte
// boundary, or a block of the FFT record's workSize allocated for this call and
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

// One real transform: the arguments checked in the order every class tests
// them (the first failure returns), orders 0 to 3 by their closed forms, and
// from order 4 steps(h, work), the class's own steps over H = 2^h complex
// points with the transform's work area.
template <typename Steps>
int runTransform(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer,
                 const dspSmallFftTable& closedForms, FftDirection direction, Steps&& steps)
{
    if (spec == nullptr)
        return dspErrNullPointer;
    if (spec->magic != dspRealFftSpecMagic)
        return dspErrNotFftSpec;
    if (src == nullptr || dst == nullptr)
        return dspErrNullPointer;
    if (spec->order <= 3) {
        if (scalesResults(spec, direction))
            closedForms.scaled[spec->order](src, dst, spec->scaleFactor);
        else
            closedForms.unscaled[spec->order](src, dst);
        return dspOk;
    }
    WorkArea work;
    if (!work.obtain(spec, buffer))
        return dspErrNoMemory;
    steps(spec->order - 1, static_cast<float*>(work.area));
    return dspOk;
}

// The in-cache paths scale the complex spectrum of their H points once, as
// the FFT record asks: the real step is linear, so the real spectrum is scaled too.
inline void scaleComplexSpectrum(const dspRealFftSpec* spec, FftDirection direction, float* points, int H)
{
    if (scalesResults(spec, direction))
        mulConstInPlace(spec->scaleFactor, points, 2 * H);
}

// (a, b) becomes (a + b, a - b), rounded from the class's intermediate type:
// the forward transform turns Z(0) into R(0), R(N/2) so, and the inverse
// forms its first complex point from R(0), R(N/2) the same way.
template <typename Real>
inline void sumAndDifference(const float* from, float* to)
{
    const Real a = from[0], b = from[1];
    to[0] = static_cast<float>(a + b);
    to[1] = static_cast<float>(a - b);
}

// After a forward transform that succeeded, its spectrum goes from the
// NyquistSecond to the NyquistLast layout; bit patterns move unchanged. Returns the
// transform's status.
inline int withNyquistLast(int status, float* data, const dspRealFftSpec* spec)
{
    if (status != dspOk)
        return status;
    const int n = 1 << spec->order;
    if (n <= 2)
        return status;
    const float nyquist = data[1];
    for (int i = 1; i <= n - 2; ++i)
        data[i] = data[i + 1];
    data[n - 1] = nyquist;
    return status;
}
