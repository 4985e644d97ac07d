#include "primitives/fft/fft_class.h"

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/vector/fill_copy_bodies.h"

namespace dsp::fft {
namespace {

// Split and batch tables, h = 7 .. 30. Entries at or below a class's direct
// limit, and the one for h = 30, are never read.
//                                    h:  7  8  9 10 11 12 13 14 15 16 17 18 19  20  21  22  23 24  25  26  27  28  29  30
constexpr std::int32_t kBlockSplit[24] = {0, 0, 0, 0, 0, 0, 5, 6, 7, 8, 8, 8, 10, 10, 10, 10, 8, 8, 10, 10, 10, 10, 10, 10};
constexpr std::int32_t kSse2Split[24] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 4, 4, 5, 6, 6, 8, 8, 8, 8, 8, 8, 8, 8, 8};
constexpr std::int32_t kSse2Batch[24] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 10, 10, 13, 13, 13, 14, 14, 14, 14, 14, 14, 14, 14, 14};
constexpr std::int32_t kSse3Split[24] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 4, 4, 4, 5, 8, 8, 8, 8, 8, 8, 8, 8, 8};
constexpr std::int32_t kSse3Batch[24] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 10, 10, 10, 13, 15, 15, 15, 15, 15, 15, 15, 15, 15};

constexpr int kNever = 31;

// The large-path builders arrive with the large transforms; until then a
// class's large orders are refused at initialisation.
const FftClass kClasses[kCpuClassCount] = {
    {10, 3, PassTwiddleLayout::Triple, RealTwiddleLanes::Pairs, false, LargePlan::BlockOrSplit, kBlockSplit,
     nullptr, &cls_generic::zeroBytes, nullptr},
    {10, 10, PassTwiddleLayout::Radix4Only, RealTwiddleLanes::InOrder, true, LargePlan::SseBlockOrSplit,
     kBlockSplit, nullptr, &cls_sse::zeroBytes, nullptr},
    {15, kNever, PassTwiddleLayout::Radix4Only, RealTwiddleLanes::NeighboursSwapped, true, LargePlan::TiledSplit,
     kSse2Split, kSse2Batch, &cls_sse2::zeroBytes, nullptr},
    {16, kNever, PassTwiddleLayout::Radix4ThenRadix2, RealTwiddleLanes::NeighboursSwapped, true,
     LargePlan::TiledSplit, kSse3Split, kSse3Batch, &cls_sse3::zeroBytes, nullptr},
    {17, kNever, PassTwiddleLayout::Radix4ThenRadix2, RealTwiddleLanes::NeighboursSwapped, true,
     LargePlan::TiledSplit, kSse3Split, kSse3Batch, &cls_ssse3::zeroBytes, nullptr},
    {17, kNever, PassTwiddleLayout::Radix4ThenRadix2, RealTwiddleLanes::NeighboursSwapped, true,
     LargePlan::TiledSplit, kSse3Split, kSse3Batch, &cls_sse41::zeroBytes, nullptr},
};

}  // namespace

const FftClass& fftClass(int cpuClass) { return kClasses[cpuClass]; }

int splitOf(const FftClass& cls, int h) { return cls.splitTable[h - kSplitTableFirstH]; }

}  // namespace dsp::fft
