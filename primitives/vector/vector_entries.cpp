#include "primitives/vector/arithmetic.h"
#include "primitives/vector/extrema.h"
#include "primitives/vector/fill_copy.h"
#include "primitives/vector/spectrum_product.h"

#include <cstddef>

#include "primitives/dispatch/entry_tables.h"
#include "primitives/vector/vector_bodies.h"

namespace dsp::entry_tables {
const BodyTable<int(float*, int)> zero = DSP_BODY_OF_EACH_CLASS(zero);
const BodyTable<int(const float*, float*, int)> copy = DSP_BODY_OF_EACH_CLASS(copy);
const BodyTable<int(void*, int)> zeroBytes = DSP_BODY_OF_EACH_CLASS(zeroBytes);
const BodyTable<int(const void*, void*, int)> copyBytes = DSP_BODY_OF_EACH_CLASS(copyBytes);
const BodyTable<int(const float*, int, float*)> max = DSP_BODY_OF_EACH_CLASS(max);
const BodyTable<int(const float*, int, float*)> min = DSP_BODY_OF_EACH_CLASS(min);
const BodyTable<int(const float*, int, float*, int*)> maxIndex = DSP_BODY_OF_EACH_CLASS(maxIndex);
const BodyTable<int(float*, int)> absInPlace = DSP_BODY_OF_EACH_CLASS(absInPlace);
const BodyTable<int(const float*, float*, int)> addInPlace = DSP_BODY_OF_EACH_CLASS(addInPlace);
const BodyTable<int(float, float*, int)> mulConstInPlace = DSP_BODY_OF_EACH_CLASS(mulConstInPlace);
const BodyTable<int(const float*, const float*, float*, int)> mulSpectra = DSP_BODY_OF_EACH_CLASS(mulSpectra);
const BodyTable<int(const float* const*, const float* const*, const int*, int, float*, int, int, int, int)>
    mulAccumulateSplitSpectra = DSP_BODY_OF_EACH_CLASS(mulAccumulateSplitSpectra);
const BodyTable<int(const float* const*, const float* const*, const float* const*, const int*, int, float*, float*, int,
                    int, int, int)>
    mulAccumulateSplitSpectraPair = DSP_BODY_OF_EACH_CLASS(mulAccumulateSplitSpectraPair);
}  // namespace dsp::entry_tables

namespace tables = dsp::entry_tables;

int dspZero(float* dst, int len) { return dsp::callBody(tables::zero, dst, len); }
int dspCopy(const float* src, float* dst, int len) { return dsp::callBody(tables::copy, src, dst, len); }
int dspZeroBytes(void* p, int n) { return dsp::callBody(tables::zeroBytes, p, n); }
int dspCopyBytes(const void* src, void* dst, int n) { return dsp::callBody(tables::copyBytes, src, dst, n); }

void dspPrefetchBlock(const void* p, int bytes)
{
    if (bytes > 0)
        cls_sse::prefetchBlock(p, static_cast<std::size_t>(bytes));
}

int dspMax(const float* src, int len, float* max) { return dsp::callBody(tables::max, src, len, max); }
int dspMin(const float* src, int len, float* min) { return dsp::callBody(tables::min, src, len, min); }
int dspMaxIndex(const float* src, int len, float* max, int* index)
{
    return dsp::callBody(tables::maxIndex, src, len, max, index);
}

int dspAbsInPlace(float* srcDst, int len) { return dsp::callBody(tables::absInPlace, srcDst, len); }
int dspAddInPlace(const float* src, float* srcDst, int len)
{
    return dsp::callBody(tables::addInPlace, src, srcDst, len);
}
int dspMulConstInPlace(float value, float* srcDst, int len)
{
    return dsp::callBody(tables::mulConstInPlace, value, srcDst, len);
}

int dspMulSpectra(const float* a, const float* b, float* dst, int len)
{
    return dsp::callBody(tables::mulSpectra, a, b, dst, len);
}

int dspMulAccumulateSplitSpectra(const float* const* a, const float* const* b, const int* rows, int runs, float* sum,
                                 int bins, int aStripStride, int bStripStride, int realFirstBin)
{
    return dsp::callBody(tables::mulAccumulateSplitSpectra, a, b, rows, runs, sum, bins, aStripStride, bStripStride,
                         realFirstBin);
}

int dspMulAccumulateSplitSpectraPair(const float* const* a, const float* const* b, const float* const* c,
                                     const int* rows, int runs, float* sum, float* otherSum, int bins, int aStripStride,
                                     int bStripStride, int realFirstBin)
{
    return dsp::callBody(tables::mulAccumulateSplitSpectraPair, a, b, c, rows, runs, sum, otherSum, bins, aStripStride,
                         bStripStride, realFirstBin);
}
