// The vector bodies, written once for every class: the argument checks in the
// order the entries give them, then the class's kernels. Included last inside a
// class namespace, after the class's kernels.

#include "primitives/vector/argument_checks.h"

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
