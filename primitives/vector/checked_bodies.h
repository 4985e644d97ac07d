// The vector bodies, written once for every class: the argument checks in the
// order the entries give them, then the class's kernels. Included inside a class
// namespace after the class's kernels (addition_body.h follows where the class
// owns an addition body).

// The first test of every body: dspErrNullPointer when any of its arrays is
// null, then dspErrLength for a length below 1, else dspOk. Bodies return an
// error before they write anything.
template <typename... Arrays>
inline int argumentStatus(int len, const Arrays*... arrays)
{
    if ((!arrays || ...))
        return dspErrNullPointer;
    return len < 1 ? dspErrLength : dspOk;
}

namespace {
// In 64 bits: 4 * len passes 2^31 from len = 2^29 on.
inline std::size_t bytesOfFloats(int len) { return static_cast<std::size_t>(len) * sizeof(float); }
}  // namespace

int zero(float* dst, int len)
{
    const int status = argumentStatus(len, dst);
    if (status == dspOk)
        zeroKernel(dst, bytesOfFloats(len));
    return status;
}

int copy(const float* src, float* dst, int len)
{
    const int status = argumentStatus(len, src, dst);
    if (status == dspOk)
        copyKernel(src, dst, bytesOfFloats(len));
    return status;
}

int zeroBytes(void* p, int n)
{
    const int status = argumentStatus(n, p);
    if (status == dspOk)
        zeroKernel(p, static_cast<std::size_t>(n));
    return status;
}

int copyBytes(const void* src, void* dst, int n)
{
    const int status = argumentStatus(n, src, dst);
    if (status == dspOk)
        copyKernel(src, dst, static_cast<std::size_t>(n));
    return status;
}

int max(const float* src, int len, float* result)
{
    const int status = argumentStatus(len, src, result);
    if (status == dspOk)
        *result = maxKernel(src, len);
    return status;
}

int min(const float* src, int len, float* result)
{
    const int status = argumentStatus(len, src, result);
    if (status == dspOk)
        *result = minKernel(src, len);
    return status;
}

int maxIndex(const float* src, int len, float* result, int* index)
{
    const int status = argumentStatus(len, src, result);
    if (status != dspOk)
        return status;
    if (index == nullptr)
        return max(src, len, result);
    std::ptrdiff_t position = 0;
    *result = maxIndexKernel(src, len, position);
    *index = static_cast<int>(position);
    return dspOk;
}

int absInPlace(float* srcDst, int len)
{
    const int status = argumentStatus(len, srcDst);
    if (status == dspOk)
        absKernel(srcDst, len);
    return status;
}

int mulConstInPlace(float value, float* srcDst, int len)
{
    const int status = argumentStatus(len, srcDst);
    if (status != dspOk || value == 1.0f)
        return status;
    // Zero (either sign) clears the array: no -0.0 or NaN as a multiplication would leave.
    if (value == 0.0f)
        return zero(srcDst, len);
    mulConstKernel(value, srcDst, len);
    return dspOk;
}

int mulSpectra(const float* a, const float* b, float* dst, int len)
{
    const int status = argumentStatus(len, a, b, dst);
    if (status != dspOk)
        return status;
    // DC is real; so is Nyquist, second, when the length is even.
    const std::ptrdiff_t reals = len % 2 == 0 ? 2 : 1;
    realProducts(a, b, dst, reals);
    const std::ptrdiff_t pairs = (len - reals) / 2;
    if (pairs > 0)
        pairProducts(a + reals, b + reals, dst + reals, pairs);
    return dspOk;
}

namespace {
// The checks of the split sums' arguments, in their order, for every output's runs in b.
template <typename... Runs>
int splitSumsStatus(const float* const* a, const int* rows, int runs, int bins, int aStripStride, int bStripStride,
                    const Runs*... b)
{
    if (a == nullptr || ((b == nullptr) || ...) || rows == nullptr)
        return dspErrNullPointer;
    for (int t = 0; t < runs; ++t)
        if (a[t] == nullptr || ((b[t] == nullptr) || ...))
            return dspErrNullPointer;
    if (bins < 1 || runs < 1 || (bins > 8 && (aStripStride < 16 || bStripStride < 16)))
        return dspErrLength;
    for (int t = 0; t < runs; ++t)
        if (rows[t] < 0)
            return dspErrLength;
    return dspOk;
}
}  // namespace

int mulAccumulateSplitSpectra(const float* const* a, const float* const* b, const int* rows, int runs, float* sum,
                              int bins, int aStripStride, int bStripStride, int realFirstBin)
{
    if (sum == nullptr)
        return dspErrNullPointer;
    const int status = splitSumsStatus(a, rows, runs, bins, aStripStride, bStripStride, b);
    if (status == dspOk)
        splitProductSums(a, b, rows, runs, sum, bins, {aStripStride, bStripStride}, realFirstBin != 0);
    return status;
}

int mulAccumulateSplitSpectraPair(const float* const* a, const float* const* b, const float* const* c, const int* rows,
                                  int runs, float* sum, float* otherSum, int bins, int aStripStride, int bStripStride,
                                  int realFirstBin)
{
    if (sum == nullptr || otherSum == nullptr)
        return dspErrNullPointer;
    const int status = splitSumsStatus(a, rows, runs, bins, aStripStride, bStripStride, b, c);
    if (status == dspOk)
        splitProductPairSums(a, b, c, rows, runs, sum, otherSum, bins, {aStripStride, bStripStride}, realFirstBin != 0);
    return status;
}
