#include "primitives/vector/spectrum_product.h"

#include "primitives/dispatch/entry_tables.h"
#include "primitives/vector/spectrum_product_bodies.h"

namespace dsp::entry_tables {
const BodyTable<int(const float*, const float*, float*, int)> mulSpectra = DSP_BODY_OF_EACH_CLASS(mulSpectra);
const BodyTable<int(const float*, const float*, float*, int, int, int)> mulAccumulateSplitSpectra =
    DSP_BODY_OF_EACH_CLASS(mulAccumulateSplitSpectra);
}  // namespace dsp::entry_tables

int dspMulSpectra(const float* a, const float* b, float* dst, int len)
{
    return dsp::callBody(dsp::entry_tables::mulSpectra, a, b, dst, len);
}

int dspMulAccumulateSplitSpectra(const float* a, const float* b, float* sum, int bins, int rows, int realFirstBin)
{
    return dsp::callBody(dsp::entry_tables::mulAccumulateSplitSpectra, a, b, sum, bins, rows, realFirstBin);
}
