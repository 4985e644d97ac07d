#pragma once

#include <cstdint>

#include "primitives/fft/large_plan.h"

// What sets one processor class's real-FFT tables apart from another's: the
// builders and the size planning are written once and read these.
namespace dsp::fft {

enum class PassTwiddleLayout {
    Triple,            // generic: entries of w^k, w^2k, w^3k
    Radix4Only,        // sse, sse2: radix-4 levels from 16 (even log2) or 32 (odd log2) points
    Radix4ThenRadix2,  // sse3 to sse4.1: radix-4 levels from 16, then radix-2 at odd log2
};

enum class RealTwiddleLanes {
    Pairs,         // generic: (first, second) for k = 0 .. N/4 - 1
    InOrder,       // sse: blocks of k = 4g+1, 4g+2, 4g+3, 4g+4
    NeighboursSwapped,  // sse2 to sse4.1: blocks of k = 4g+2, 4g+1, 4g+4, 4g+3
};

enum class LargeTableLayout {
    BlockOrSplit,      // generic: 1024-point blocks joined by outer passes, or four-step splits
    SseBlockOrSplit,   // sse: as generic, with an outer table per join level, in blocks of four
    TiledSplit,        // sse2 to sse4.1: splits only, column tiles, pass-ordered step tables
};

struct FftClass {
    int directLimit;      // largest h = order - 1 whose complex FFT runs from one twiddle table (large->directLimit)
    int pairTableFrom;    // smallest h whose direct path lays a pair table, not a permutation array
    PassTwiddleLayout passTwiddles;
    RealTwiddleLanes realLanes;
    bool directPathWork;  // the direct path needs 8H bytes of work (vector classes)
    LargeTableLayout largeTables;
    const LargeFftPlan* large;  // the complex FFTs above directLimit
    int (*zeroBytes)(void* p, int n);
};

// The descriptor of class 0 to 5.
const FftClass& fftClass(int cpuClass);

// log2 rows s of a split at h, 0 for the block path.
int splitOf(const FftClass& cls, int h);

// log2 points of a column tile at h (tiled classes).
int batchOf(const FftClass& cls, int h);

}  // namespace dsp::fft
