#include "primitives/vector/extrema.h"

#include "primitives/dispatch/dispatch.h"
#include "primitives/vector/extrema_bodies.h"

namespace {
const dsp::BodyTable<int(const float*, int, float*)> maxBodies = DSP_BODY_OF_EACH_CLASS(max);
const dsp::BodyTable<int(const float*, int, float*)> minBodies = DSP_BODY_OF_EACH_CLASS(min);
const dsp::BodyTable<int(const float*, int, float*, int*)> maxIndexBodies = DSP_BODY_OF_EACH_CLASS(maxIndex);
}  // namespace

int dspMax(const float* src, int len, float* max) { return dsp::callBody(maxBodies, src, len, max); }
int dspMin(const float* src, int len, float* min) { return dsp::callBody(minBodies, src, len, min); }
int dspMaxIndex(const float* src, int len, float* max, int* index)
{
    return dsp::callBody(maxIndexBodies, src, len, max, index);
}
