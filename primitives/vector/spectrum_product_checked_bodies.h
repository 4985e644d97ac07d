// The spectrum-product bodies, written once for every class. Included inside a
// class namespace after that class's realProducts, pairProducts and
// splitProductSums kernels.

#include "primitives/vector/argument_checks.h"

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

int mulAccumulateSplitSpectra(const float* a, const float* b, float* sum, int bins, int rows, int realFirstBin)
{
    const int status = argumentStatus(bins < rows ? bins : rows, a, b, sum);
    if (status != dspOk)
        return status;
    splitProductSums(a, b, sum, bins, rows, realFirstBin != 0);
    return dspOk;
}
