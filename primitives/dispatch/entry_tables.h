#pragma once

#include "primitives/dispatch/dispatch.h"

struct dspRealFftSpec;

// The dispatch table behind every entry: its bodies in class order, defined
// beside the entry. Classes that share a body hold the same address.
namespace dsp::entry_tables {

// One body for all classes.
extern const BodyTable<void*(int)> allocBytes;
extern const BodyTable<float*(int)> allocFloats;
extern const BodyTable<void(void*)> free;

extern const BodyTable<int(float*, int)> zero;
extern const BodyTable<int(const float*, float*, int)> copy;
extern const BodyTable<int(void*, int)> zeroBytes;
extern const BodyTable<int(const void*, void*, int)> copyBytes;

extern const BodyTable<int(float*, int)> absInPlace;
// Four bodies: classes 2 and 3 share one, classes 4 and 5 another.
extern const BodyTable<int(const float*, float*, int)> addInPlace;
extern const BodyTable<int(float, float*, int)> mulConstInPlace;

extern const BodyTable<int(const float*, int, float*)> max;
extern const BodyTable<int(const float*, int, float*)> min;
extern const BodyTable<int(const float*, int, float*, int*)> maxIndex;

extern const BodyTable<int(const float*, const float*, float*, int)> mulSpectra;
extern const BodyTable<int(const float* const*, const float* const*, const int*, int, float*, int, int, int, int)>
    mulAccumulateSplitSpectra;
extern const BodyTable<int(const float* const*, const float* const*, const float* const*, const int*, int, float*,
                           float*, int, int, int, int)>
    mulAccumulateSplitSpectraPair;

extern const BodyTable<int(int, int, int, int*, int*, int*)> realFftQuerySizes;
extern const BodyTable<int(dspRealFftSpec**, int, int, int, void*, void*)> realFftInit;
extern const BodyTable<int(dspRealFftSpec**, int, int, int)> realFftCreate;
// One body for all classes: they read only the header, which every class lays alike.
extern const BodyTable<int(dspRealFftSpec*)> realFftFree;
extern const BodyTable<int(const dspRealFftSpec*, int*)> realFftBufferSize;
extern const BodyTable<int(const float*, float*, const dspRealFftSpec*, void*)> realFftForward;
extern const BodyTable<int(const float*, float*, const dspRealFftSpec*, void*)> realFftInverse;
extern const BodyTable<int(float*, const dspRealFftSpec*, void*)> realFftForwardNyquistLastInPlace;

extern const BodyTable<int(const float* const*, int, int, float*)> interleave;
extern const BodyTable<int(const float*, int, int, float* const*)> deinterleave;

}  // namespace dsp::entry_tables
