// The addition body, written once. Included inside the namespace of each class
// that owns an addition body, after that class's addKernel.

int addInPlace(const float* src, float* srcDst, int len)
{
    if (src == nullptr || srcDst == nullptr)
        return dspErrNullPointer;
    if (len < 1)
        return dspErrLength;
    addKernel(src, srcDst, len);
    return dspOk;
}
