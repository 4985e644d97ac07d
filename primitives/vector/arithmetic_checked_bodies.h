// The absolute-value and scaling bodies, written once for every class. Included
// inside a class namespace after that class's absKernel and mulConstKernel.

#include "primitives/vector/argument_checks.h"

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
