#include "primitives/interleave/interleave.h"

#include "primitives/dispatch/dispatch.h"
#include "primitives/interleave/interleave_bodies.h"

namespace {
const dsp::BodyTable<int(const float* const*, int, int, float*)> interleaveBodies =
    DSP_BODY_OF_EACH_CLASS(interleave);
const dsp::BodyTable<int(const float*, int, int, float* const*)> deinterleaveBodies =
    DSP_BODY_OF_EACH_CLASS(deinterleave);
}  // namespace

int dspInterleave(const float* const* channels, int channelCount, int len, float* dst)
{
    return dsp::callBody(interleaveBodies, channels, channelCount, len, dst);
}

int dspDeinterleave(const float* src, int channelCount, int len, float* const* channels)
{
    return dsp::callBody(deinterleaveBodies, src, channelCount, len, channels);
}
