#pragma once

#include <cstdint>

struct dspRealFftSpec;

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

enum class LargePlan {
    BlockOrSplit,      // generic: 1024-point blocks joined by outer passes, or four-step splits
    SseBlockOrSplit,   // sse: as generic, with an outer table per join level
    TiledSplit,        // sse2 to sse4.1: splits only, column tiles, pass-ordered step tables
};

// Lays the large-path tables of a spec (bit-reversal table included) from dst on
// and returns the end of the last one, a multiple of 32.
using MakeLargeTables = void* (*)(dspRealFftSpec* spec, int h, const float* base, int m, void* dst,
                                  void* scratch);

struct FftClass {
    int directLimit;      // largest h = order - 1 whose complex FFT runs from one twiddle table
    int pairTableFrom;    // smallest h whose direct path lays a pair table, not a permutation array
    PassTwiddleLayout passTwiddles;
    RealTwiddleLanes realLanes;
    bool directPathWork;  // the direct path needs 8H bytes of work (vector classes)
    LargePlan largePlan;
    const std::int32_t* splitTable;  // column exponent by h, from h = 7; 0 = block path
    const std::int32_t* batchTable;  // log2 points of a column tile by h, from h = 7 (tiled classes)
    int (*zeroBytes)(void* p, int n);
    MakeLargeTables makeLargeTables;  // null while the class has no large path
};

constexpr int kSplitTableFirstH = 7;

// The descriptor of class 0 to 5.
const FftClass& fftClass(int cpuClass);

// Column exponent s of a split at h, 0 for the block path.
int splitOf(const FftClass& cls, int h);

}  // namespace dsp::fft
