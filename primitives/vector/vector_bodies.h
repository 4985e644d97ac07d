#pragma once

#include <cstddef>

#include "primitives/dispatch/cpu_classes.h"

// The vector bodies of every class, with the contracts of their entries; bodies
// of the same class call them directly.

DSP_DECLARE_IN_EVERY_CLASS(
    int zero(float* dst, int len);
    int copy(const float* src, float* dst, int len);
    int zeroBytes(void* p, int n);
    int copyBytes(const void* src, void* dst, int n);
)

namespace cls_sse {
// dspPrefetchBlock's work, which the class's copy of long vectors runs on every page.
void prefetchBlock(const void* p, std::size_t bytes);
}  // namespace cls_sse

DSP_DECLARE_IN_EVERY_CLASS(
    int max(const float* src, int len, float* result);
    int min(const float* src, int len, float* result);
    int maxIndex(const float* src, int len, float* result, int* index);
)

DSP_DECLARE_IN_EVERY_CLASS(
    int absInPlace(float* srcDst, int len);
    int mulConstInPlace(float value, float* srcDst, int len);
)

// Addition has four bodies: classes 2 and 3 run one, classes 4 and 5 another.
namespace cls_generic { int addInPlace(const float* src, float* srcDst, int len); }
namespace cls_sse { int addInPlace(const float* src, float* srcDst, int len); }
namespace cls_sse2 { int addInPlace(const float* src, float* srcDst, int len); }
namespace cls_sse3 { using cls_sse2::addInPlace; }
namespace cls_ssse3 { int addInPlace(const float* src, float* srcDst, int len); }
namespace cls_sse41 { using cls_ssse3::addInPlace; }

DSP_DECLARE_IN_EVERY_CLASS(
    int mulSpectra(const float* a, const float* b, float* dst, int len);
    int mulAccumulateSplitSpectra(const float* const* a, const float* const* b, const int* rows, int runs, float* sum,
                                  int bins, int aStripStride, int bStripStride, int realFirstBin);
    int mulAccumulateSplitSpectraPair(const float* const* a, const float* const* b, const float* const* c,
                                      const int* rows, int runs, float* sum, float* otherSum, int bins,
                                      int aStripStride, int bStripStride, int realFirstBin);
)
