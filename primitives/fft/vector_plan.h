#pragma once

// What sets one vector class's in-cache FFT apart from another's. Each vector
// class source defines one VectorFftPlan and instantiates the kernels on it.
// Free of library headers: included at the top of the per-class sources.

struct VectorFftPlan {
    int directLimit;           // largest h = log2 H on the in-cache path; fused below it
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
