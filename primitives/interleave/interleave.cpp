#include "primitives/interleave/interleave.h"

#include "primitives/dispatch/entry_tables.h"
#include "primitives/interleave/interleave_bodies.h"

namespace dsp::entry_tables {
const BodyTable<int(const float* const*, int, int, float*)> interleave = DSP_BODY_OF_EACH_CLASS(interleave);
const BodyTable<int(const float*, int, int, float* const*)> deinterleave = DSP_BODY_OF_EACH_CLASS(deinterleave);
}  // namespace dsp::entry_tables

namespace tables = dsp::entry_tables;

int dspInterleave(const float* const* channels, int channelCount, int len, float* dst)
{
    return dsp::callBody(tables::interleave, channels, channelCount, len, dst);
}

int dspDeinterleave(const float* src, int channelCount, int len, float* const* channels)
{
    return dsp::callBody(tables::deinterleave, src, channelCount, len, channels);
}
