#include "primitives/fft/real_fft.h"

#include "primitives/dispatch/dispatch.h"
#include "primitives/fft/real_fft_bodies.h"

namespace {

using TransformFn = int(const float*, float*, const dspRealFftSpec*, void*);
using InPlaceFn = int(float*, const dspRealFftSpec*, void*);

const dsp::BodyTable<TransformFn> forwardBodies = DSP_BODY_OF_EACH_CLASS(realFftForward);
const dsp::BodyTable<TransformFn> inverseBodies = DSP_BODY_OF_EACH_CLASS(realFftInverse);
const dsp::BodyTable<InPlaceFn> nyquistLastBodies = DSP_BODY_OF_EACH_CLASS(realFftForwardNyquistLastInPlace);

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
