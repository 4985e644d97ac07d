// The extrema bodies, written once for every class. Included inside a class
// namespace after that class's maxKernel, minKernel and maxIndexKernel.

int max(const float* src, int len, float* result)
{
    if (src == nullptr || result == nullptr)
        return dspErrNullPointer;
    if (len < 1)
        return dspErrLength;
    *result = maxKernel(src, len);
    return dspOk;
}

int min(const float* src, int len, float* result)
{
    if (src == nullptr || result == nullptr)
        return dspErrNullPointer;
    if (len < 1)
        return dspErrLength;
    *result = minKernel(src, len);
    return dspOk;
}

int maxIndex(const float* src, int len, float* result, int* index)
{
    if (src == nullptr || result == nullptr)
        return dspErrNullPointer;
    if (len < 1)
        return dspErrLength;
    if (index == nullptr)
        return max(src, len, result);
    std::ptrdiff_t position = 0;
    *result = maxIndexKernel(src, len, position);
    *index = static_cast<int>(position);
    return dspOk;
}
