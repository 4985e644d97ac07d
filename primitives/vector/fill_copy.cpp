#include "primitives/vector/fill_copy.h"

#include <cstddef>

#include "primitives/dispatch/entry_tables.h"
#include "primitives/vector/fill_copy_bodies.h"

namespace dsp::entry_tables {
const BodyTable<int(float*, int)> zero = DSP_BODY_OF_EACH_CLASS(zero);
const BodyTable<int(const float*, float*, int)> copy = DSP_BODY_OF_EACH_CLASS(copy);
const BodyTable<int(void*, int)> zeroBytes = DSP_BODY_OF_EACH_CLASS(zeroBytes);
const BodyTable<int(const void*, void*, int)> copyBytes = DSP_BODY_OF_EACH_CLASS(copyBytes);
}  // namespace dsp::entry_tables

namespace tables = dsp::entry_tables;

int dspZero(float* dst, int len) { return dsp::callBody(tables::zero, dst, len); }
int dspCopy(const float* src, float* dst, int len) { return dsp::callBody(tables::copy, src, dst, len); }
int dspZeroBytes(void* p, int n) { return dsp::callBody(tables::zeroBytes, p, n); }
int dspCopyBytes(const void* src, void* dst, int n) { return dsp::callBody(tables::copyBytes, src, dst, n); }

void dspPrefetchBlock(const void* p, int bytes)
{
    if (bytes > 0)
        cls_sse::prefetchBlock(p, static_cast<std::size_t>(bytes));
}
