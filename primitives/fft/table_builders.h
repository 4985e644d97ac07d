#pragma once

#include <cstdint>

#include "primitives/fft/fft_class.h"

// Builders of the tables inside a dspRealFftSpec. Each writes at dst and returns
// the address just past what it wrote, rounded up to 32 bytes (where the next
// table starts). None checks its arguments: the FFT record initialisation sizes every
// table by the size query first. "base" is a quarter-wave sine table of order m,
// base[k] = sin(2 pi k / 2^m) for k = 0 .. 2^m / 4; every twiddle is a copy of
// one of its values, negated where the quadrant asks for it.

// sin(2 pi k / 1024) rounded to float, k = 0 .. 256: the base of orders up to 10.
extern const float dspQuarterSineTable[257];

// (cos 2 pi e / L, -sin 2 pi e / L) for 0 <= e < L = 2^p, read from a base of
// order m >= p by quadrant.
struct dspTwiddlePair {
    float cos;
    float minusSin;
};
dspTwiddlePair dspTwiddleOf(const float* base, int m, std::int64_t e, int p);

// Four twiddles in the vector classes' layout: the four cos, then the four -sin
// of w((e0 + u) * factor) over 2^p points, u = 0 .. 3. Returns dst + 8.
float* dspWriteTwiddleQuad(float* dst, const float* base, int m, std::int64_t e0, std::int64_t factor, int p);

// The base table of order m (> 10), computed in double precision.
void* dspMakeBaseTwiddles(int m, float* dst);

// Pair table of an h-bit complex bit reversal: pairs (4i, 4j) for i < j = rev(i)
// of the middle h - 2 bits, a 0, the self-mapped 4i downward from word
// 2^(h-2) - 1, a 0 at word 2^(h-2); h = 2 gives two zero words. Below h = 2 there
// is nothing to permute: writes nothing and returns dst.
void* dspMakeBitReverseTable(int h, std::int32_t* dst);

// Permutation array: word i = 2 rev(i) over h - 2 bits, words 0 and 2^(h-2) zero.
// Below h = 2 writes nothing and returns dst.
void* dspMakeBitReversePermutation(int h, std::int32_t* dst);

// 2^(h-2k) words rev(i) << k over h - 2k bits, then a pair table for 2k bits.
void* dspMakeTwoLevelBitReverseTable(int h, int k, std::int32_t* dst);

// The in-cache twiddles of a 2^q-point complex FFT in the layout of cpuClass.
void* dspMakeComplexTwiddles(int cpuClass, int q, const float* base, int m, float* dst);
void* dspMakeComplexTwiddles(const dsp::fft::FftClass& cls, int q, const float* base, int m, float* dst);

// Twiddles of the forward real post-processing of order n: (0.5 cos t, 0.5 - 0.5 sin t).
void* dspMakeForwardRealTwiddles(int cpuClass, int n, const float* base, int m, float* dst);

// Twiddles of the inverse real pre-processing of order n: (cos t, -sin t).
void* dspMakeInverseRealTwiddles(int cpuClass, int n, const float* base, int m, float* dst);
