#include "primitives/vector/fill_copy.h"

#include <cstddef>

#include "primitives/dispatch/dispatch.h"
#include "primitives/vector/fill_copy_bodies.h"

namespace {
const dsp::BodyTable<int(float*, int)> zeroBodies = DSP_BODY_OF_EACH_CLASS(zero);
const dsp::BodyTable<int(const float*, float*, int)> copyBodies = DSP_BODY_OF_EACH_CLASS(copy);
const dsp::BodyTable<int(void*, int)> zeroBytesBodies = DSP_BODY_OF_EACH_CLASS(zeroBytes);
const dsp::BodyTable<int(const void*, void*, int)> copyBytesBodies = DSP_BODY_OF_EACH_CLASS(copyBytes);
}  // namespace

int dspZero(float* dst, int len) { return dsp::callBody(zeroBodies, dst, len); }
int dspCopy(const float* src, float* dst, int len) { return dsp::callBody(copyBodies, src, dst, len); }
int dspZeroBytes(void* p, int n) { return dsp::callBody(zeroBytesBodies, p, n); }
int dspCopyBytes(const void* src, void* dst, int n) { return dsp::callBody(copyBytesBodies, src, dst, n); }

void dspPrefetchBlock(const void* p, int bytes)
{
    if (bytes > 0)
        cls_sse::prefetchBlock(p, static_cast<std::size_t>(bytes));
}
