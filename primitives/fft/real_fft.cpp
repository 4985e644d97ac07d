#include "primitives/fft/real_fft.h"

#include "primitives/dispatch/dispatch.h"
#include "primitives/fft/real_fft_bodies.h"

namespace {

using TransformFn = int(const float*, float*, const dspRealFftSpec*, void*);
using InPlaceFn = int(float*, const dspRealFftSpec*, void*);

// Classes 1 to 5 take their slots as their transform bodies arrive
// (then DSP_BODY_OF_EACH_CLASS); no spec of theirs can be used before.
const dsp::BodyTable<TransformFn> forwardBodies = {&cls_generic::realFftForward, nullptr, nullptr,
                                                   nullptr, nullptr, nullptr};
const dsp::BodyTable<TransformFn> inverseBodies = {&cls_generic::realFftInverse, nullptr, nullptr,
                                                   nullptr, nullptr, nullptr};
const dsp::BodyTable<InPlaceFn> nyquistLastBodies = {&cls_generic::realFftForwardNyquistLastInPlace,
                                                     nullptr, nullptr, nullptr, nullptr, nullptr};

}  // namespace

int dspRealFftForward(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    return dsp::callBody(forwardBodies, src, dst, spec, buffer);
}

int dspRealFftInverse(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    return dsp::callBody(inverseBodies, src, dst, spec, buffer);
}

int dspRealFftForwardNyquistLastInPlace(float* srcDst, const dspRealFftSpec* spec, void* buffer)
{
    return dsp::callBody(nyquistLastBodies, srcDst, spec, buffer);
}
