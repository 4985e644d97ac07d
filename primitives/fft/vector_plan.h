#pragma once

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/fft/large_plan.h"

// What sets one vector class's FFT apart from another's: each vector class
// source instantiates the kernels on its row of kVectorFftPlans. Free of library
// headers and of functions: included at the top of the per-class sources.

struct VectorFftPlan {
    const dsp::fft::LargeFftPlan* large;  // above its directLimit, the large path; fused below it
    bool radix2LastPass;       // sections from 16 points and, at odd log2 H, a last radix-2 pass;
                               // else odd log2 H starts with an 8-point first pass
    int cacheBlockPoints;      // early passes run block by block above this many points (0: never)
    bool fusedLastPass;        // the last pass writes the output; else a conversion sweep follows it
    bool pointGatherOdd;       // the fused routine gathers single points at odd log2 H
    int pointGatherEvenFrom;   // ... and at even log2 H from this H on
    bool pairListBitReverse;   // the bit reversal reads a pair list; else the index list in blocks
    int bitReverseGatherFrom;  // the block bit reversal walks its destination in order above this n
    bool naturalRealLanes;     // real twiddle lanes k, k+1, k+2, k+3; else k+1, k, k+3, k+2
    bool middleImagFromZero;   // the inverse pre-processing forms the middle slot's -2 Im as 0 - 2 Im
};

constexpr int kNeverPoints = 1 << 30;

// Class 1: 8- and 16-point first passes, single-point gathers, the last pass in
// the working array and a conversion sweep after it, pair-list bit reversal.
constexpr VectorFftPlan kSseVectorPlan = {
    &dsp::fft::kFourStepPlan,
    false,          // radix2LastPass
    0,              // cacheBlockPoints
    false,          // fusedLastPass
    true,           // pointGatherOdd
    0,              // pointGatherEvenFrom
    true,           // pairListBitReverse
    kNeverPoints,   // bitReverseGatherFrom
    true,           // naturalRealLanes
    true            // middleImagFromZero
};

// Class 2: 8- and 16-point first passes, pair gathers (single points at even
// log2 H from 16384 points), no cache blocks.
constexpr VectorFftPlan kSse2VectorPlan = {
    &dsp::fft::kSse2Plan,
    false,          // radix2LastPass
    0,              // cacheBlockPoints
    true,           // fusedLastPass
    false,          // pointGatherOdd
    16384,          // pointGatherEvenFrom
    false,          // pairListBitReverse
    32768,          // bitReverseGatherFrom
    false,          // naturalRealLanes
    false           // middleImagFromZero
};

// Class 3: 16-point first passes, a last radix-2 pass at odd log2 H, cache
// blocks of 1024 points. SSE3 brings nothing to the FFT.
constexpr VectorFftPlan kSse3VectorPlan = {
    &dsp::fft::kSse3Plan,
    true,           // radix2LastPass
    1024,           // cacheBlockPoints
    true,           // fusedLastPass
    false,          // pointGatherOdd
    kNeverPoints,   // pointGatherEvenFrom
    false,          // pairListBitReverse
    65536,          // bitReverseGatherFrom
    false,          // naturalRealLanes
    false           // middleImagFromZero
};

// Classes 4 and 5: as class 3 with cache blocks of 2048 points.
constexpr VectorFftPlan kSsse3VectorPlan = {
    &dsp::fft::kSsse3Plan,
    true,           // radix2LastPass
    2048,           // cacheBlockPoints
    true,           // fusedLastPass
    false,          // pointGatherOdd
    kNeverPoints,   // pointGatherEvenFrom
    false,          // pairListBitReverse
    32768,          // bitReverseGatherFrom
    false,          // naturalRealLanes
    false           // middleImagFromZero
};

// In class order; the generic class has steps of its own and takes no row.
constexpr VectorFftPlan kVectorFftPlans[kCpuClassCount] = {
    {}, kSseVectorPlan, kSse2VectorPlan, kSse3VectorPlan, kSsse3VectorPlan, kSsse3VectorPlan,
};
