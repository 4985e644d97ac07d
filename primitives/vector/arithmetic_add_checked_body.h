// The addition body, written once. Included inside the namespace of each class
// that owns an addition body, after that class's addKernel.

#include "primitives/vector/argument_checks.h"

int addInPlace(const float* src, float* srcDst, int len)
{
    const int status = argumentStatus(len, src, srcDst);
    if (status == dspOk)
        addKernel(src, srcDst, len);
    return status;
}
