#include "primitives/fft/real_fft.h"

#include "primitives/dispatch/entry_tables.h"
#include "primitives/fft/fft_bodies.h"

namespace dsp::entry_tables {

using TransformFn = int(const float*, float*, const dspRealFftSpec*, void*);
using InPlaceFn = int(float*, const dspRealFftSpec*, void*);

const BodyTable<TransformFn> realFftForward = DSP_BODY_OF_EACH_CLASS(realFftForward);
const BodyTable<TransformFn> realFftInverse = DSP_BODY_OF_EACH_CLASS(realFftInverse);
const BodyTable<InPlaceFn> realFftForwardNyquistLastInPlace = DSP_BODY_OF_EACH_CLASS(realFftForwardNyquistLastInPlace);

}  // namespace dsp::entry_tables

namespace tables = dsp::entry_tables;

int dspRealFftForward(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    return dsp::callBody(tables::realFftForward, src, dst, spec, buffer);
}

int dspRealFftInverse(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    return dsp::callBody(tables::realFftInverse, src, dst, spec, buffer);
}

int dspRealFftForwardNyquistLastInPlace(float* srcDst, const dspRealFftSpec* spec, void* buffer)
{
    return dsp::callBody(tables::realFftForwardNyquistLastInPlace, srcDst, spec, buffer);
}
