#include "primitives/vector/arithmetic.h"

#include "primitives/dispatch/dispatch.h"
#include "primitives/vector/arithmetic_bodies.h"

namespace {
const dsp::BodyTable<int(float*, int)> absBodies = DSP_BODY_OF_EACH_CLASS(absInPlace);
const dsp::BodyTable<int(const float*, float*, int)> addBodies = DSP_BODY_OF_EACH_CLASS(addInPlace);
const dsp::BodyTable<int(float, float*, int)> mulConstBodies = DSP_BODY_OF_EACH_CLASS(mulConstInPlace);
}  // namespace

int dspAbsInPlace(float* srcDst, int len) { return dsp::callBody(absBodies, srcDst, len); }
int dspAddInPlace(const float* src, float* srcDst, int len) { return dsp::callBody(addBodies, src, srcDst, len); }
int dspMulConstInPlace(float value, float* srcDst, int len)
{
    return dsp::callBody(mulConstBodies, value, srcDst, len);
}
