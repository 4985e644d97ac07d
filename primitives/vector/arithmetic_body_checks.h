// The absolute-value and scaling bodies, written once for every class. Included
// inside a class namespace after that class's absKernel and mulConstKernel.

int absInPlace(float* srcDst, int len)
{
    if (srcDst == nullptr)
        return dspErrNullPointer;
    if (len < 1)
        return dspErrLength;
    absKernel(srcDst, len);
    return dspOk;
}

int mulConstInPlace(float value, float* srcDst, int len)
{
    if (srcDst == nullptr)
        return dspErrNullPointer;
    if (len < 1)
        return dspErrLength;
    if (value == 1.0f)
        return dspOk;
    // Zero (either sign) clears the array: no -0.0 or NaN as a multiplication would leave.
    if (value == 0.0f)
        return zero(srcDst, len);
    mulConstKernel(value, srcDst, len);
    return dspOk;
}
