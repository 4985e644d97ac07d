// The vector bodies, written once for every class: the argument checks in the
// order the entries give them, then the class's kernels. Included last inside a
// class namespace, after the class's kernels.

#include "primitives/vector/argument_checks.h"

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
