#include "primitives/vector/arithmetic.h"

#include "primitives/dispatch/entry_tables.h"
#include "primitives/vector/arithmetic_bodies.h"

namespace dsp::entry_tables {
const BodyTable<int(float*, int)> absInPlace = DSP_BODY_OF_EACH_CLASS(absInPlace);
const BodyTable<int(const float*, float*, int)> addInPlace = DSP_BODY_OF_EACH_CLASS(addInPlace);
const BodyTable<int(float, float*, int)> mulConstInPlace = DSP_BODY_OF_EACH_CLASS(mulConstInPlace);
}  // namespace dsp::entry_tables

namespace tables = dsp::entry_tables;

int dspAbsInPlace(float* srcDst, int len) { return dsp::callBody(tables::absInPlace, srcDst, len); }
int dspAddInPlace(const float* src, float* srcDst, int len)
{
    return dsp::callBody(tables::addInPlace, src, srcDst, len);
}
int dspMulConstInPlace(float value, float* srcDst, int len)
{
    return dsp::callBody(tables::mulConstInPlace, value, srcDst, len);
}
