#include "primitives/fft/fft_class.h"

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/vector/vector_bodies.h"

namespace dsp::fft {
namespace {

const FftClass kClasses[kCpuClassCount] = {
    {kFourStepPlan.directLimit, 3, PassTwiddleLayout::Triple, RealTwiddleLanes::Pairs, false,
     LargeTableLayout::BlockOrSplit, &kFourStepPlan, &cls_generic::zeroBytes},
    {kFourStepPlan.directLimit, 10, PassTwiddleLayout::Radix4Only, RealTwiddleLanes::InOrder, true,
     LargeTableLayout::SseBlockOrSplit, &kFourStepPlan, &cls_sse::zeroBytes},
    {kSse2Plan.directLimit, kNoH, PassTwiddleLayout::Radix4Only, RealTwiddleLanes::NeighboursSwapped, true,
     LargeTableLayout::TiledSplit, &kSse2Plan, &cls_sse2::zeroBytes},
    {kSse3Plan.directLimit, kNoH, PassTwiddleLayout::Radix4ThenRadix2, RealTwiddleLanes::NeighboursSwapped,
     true, LargeTableLayout::TiledSplit, &kSse3Plan, &cls_sse3::zeroBytes},
    {kSsse3Plan.directLimit, kNoH, PassTwiddleLayout::Radix4ThenRadix2, RealTwiddleLanes::NeighboursSwapped,
     true, LargeTableLayout::TiledSplit, &kSsse3Plan, &cls_ssse3::zeroBytes},
    {kSsse3Plan.directLimit, kNoH, PassTwiddleLayout::Radix4ThenRadix2, RealTwiddleLanes::NeighboursSwapped,
     true, LargeTableLayout::TiledSplit, &kSsse3Plan, &cls_sse41::zeroBytes},
};

}  // namespace

const FftClass& fftClass(int cpuClass) { return kClasses[cpuClass]; }

int splitOf(const FftClass& cls, int h) { return cls.large->split[h - kSplitTableFirstH]; }

int batchOf(const FftClass& cls, int h) { return cls.large->batch[h - kSplitTableFirstH]; }

}  // namespace dsp::fft
