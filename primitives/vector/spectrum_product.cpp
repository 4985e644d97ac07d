#include "primitives/vector/spectrum_product.h"

#include "primitives/dispatch/dispatch.h"
#include "primitives/vector/spectrum_product_bodies.h"

namespace {
const dsp::BodyTable<int(const float*, const float*, float*, int)> mulSpectraBodies =
    DSP_BODY_OF_EACH_CLASS(mulSpectra);
const dsp::BodyTable<int(const float*, const float*, float*, int, int, int)> mulAccumulateSplitSpectraBodies =
    DSP_BODY_OF_EACH_CLASS(mulAccumulateSplitSpectra);
}  // namespace

int dspMulSpectra(const float* a, const float* b, float* dst, int len)
{
    return dsp::callBody(mulSpectraBodies, a, b, dst, len);
}

int dspMulAccumulateSplitSpectra(const float* a, const float* b, float* sum, int bins, int rows, int realFirstBin)
{
    return dsp::callBody(mulAccumulateSplitSpectraBodies, a, b, sum, bins, rows, realFirstBin);
}
