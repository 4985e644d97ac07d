#include "primitives/vector/extrema.h"

#include "primitives/dispatch/entry_tables.h"
#include "primitives/vector/extrema_bodies.h"

namespace dsp::entry_tables {
const BodyTable<int(const float*, int, float*)> max = DSP_BODY_OF_EACH_CLASS(max);
const BodyTable<int(const float*, int, float*)> min = DSP_BODY_OF_EACH_CLASS(min);
const BodyTable<int(const float*, int, float*, int*)> maxIndex = DSP_BODY_OF_EACH_CLASS(maxIndex);
}  // namespace dsp::entry_tables

namespace tables = dsp::entry_tables;

int dspMax(const float* src, int len, float* max) { return dsp::callBody(tables::max, src, len, max); }
int dspMin(const float* src, int len, float* min) { return dsp::callBody(tables::min, src, len, min); }
int dspMaxIndex(const float* src, int len, float* max, int* index)
{
    return dsp::callBody(tables::maxIndex, src, len, max, index);
}
