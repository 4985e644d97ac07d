#pragma once

#include <cstdint>

// How one processor class runs complex FFTs above its in-cache limit: the
// four-step splits into rows and columns, the column tiles and the bit-reversal
// thresholds. The FFT record builders, the size planning and the large transforms all
// read the same plan. Free of library headers and of functions: the per-class
// sources include it at the top and read their plan at compile time.
namespace dsp::fft {

constexpr int kSplitTableFirstH = 7;  // the split and batch tables hold h = 7 .. 30
constexpr int kNoH = 31;              // a threshold that no h reaches

struct LargeFftPlan {
    int directLimit;            // largest h transformed in cache: the whole FFT, or one row of a split
    const std::int32_t* split;  // by h: log2 rows of a four-step split; 0: 1024-point blocks joined by radix-2 stages
    const std::int32_t* batch;  // tiled classes, by h: log2 points of one column tile
    int tileReverseFrom;        // tiled classes: first h whose bit reversal moves 64 x 64-point tiles
    int sourceGatherFrom;       // tiled classes, out of place: for h from here to sourceGatherTo the
    int sourceGatherTo;         // tiles come straight from the source; other sizes copy it first
};

// Indexed by h - kSplitTableFirstH.
//                                       h:  7  8  9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 .. 30
constexpr std::int32_t kFourStepSplit[24] = {0, 0, 0, 0, 0, 0, 5, 6, 7, 8, 8, 8, 10, 10, 10, 10, 8, 8, 10,
                                             10, 10, 10, 10, 10};
constexpr std::int32_t kSse2Split[24] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 4, 4, 5, 6, 6, 8, 8, 8, 8, 8, 8, 8, 8, 8};
constexpr std::int32_t kSse2Batch[24] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 10, 10, 13, 13, 13, 14, 14, 14, 14,
                                         14, 14, 14, 14, 14};
constexpr std::int32_t kSse3Split[24] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 4, 4, 4, 5, 8, 8, 8, 8, 8, 8, 8, 8, 8};
constexpr std::int32_t kSse3Batch[24] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 10, 10, 10, 13, 15, 15, 15, 15,
                                         15, 15, 15, 15, 15};

// Generic and sse: 1024-point blocks for h 11, 12 (and rows of that length), four-step splits above.
constexpr LargeFftPlan kFourStepPlan = {10, kFourStepSplit, nullptr, kNoH, kNoH, kNoH};
// sse2 to sse4.1: splits only; tiles from two above the in-cache limit.
constexpr LargeFftPlan kSse2Plan = {15, kSse2Split, kSse2Batch, 17, 17, 18};
constexpr LargeFftPlan kSse3Plan = {16, kSse3Split, kSse3Batch, 18, kNoH, kNoH};
constexpr LargeFftPlan kSsse3Plan = {17, kSse3Split, kSse3Batch, 19, 19, 20};

}  // namespace dsp::fft
