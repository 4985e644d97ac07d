#pragma once

#include <cstdint>

// The steps of the generic class's real FFT, which its transform bodies and
// large transform call directly, and the closed forms of the smallest orders,
// which every class runs. None checks its arguments or allocates; all are
// wait-free.

// Closed-form real FFTs of 1, 2, 4 and 8 points: the transforms of orders 0 to
// 3 need no tables and no work buffer. Forward routines write the spectrum in
// the NyquistSecond layout (real_fft.h); inverse routines read it and return
// N times the signal when unscaled. Each reads every input before it writes
// that index, so dst may equal src. Pure functions; any thread.
using dspSmallFftRoutine = void (*)(const float* src, float* dst);
using dspSmallFftScaledRoutine = void (*)(const float* src, float* dst, float factor);

// The routines of one transform, by order 0 to 3.
struct dspSmallFftTable {
    dspSmallFftRoutine unscaled[4];
    dspSmallFftScaledRoutine scaled[4];
};

// A class's routines for its forward, inverse and NyquistLast transforms.
struct dspSmallFftTables {
    dspSmallFftTable forward;
    dspSmallFftTable inverse;
    dspSmallFftTable nyquistLast;
};

namespace cls_generic {

void smallFft1(const float* src, float* dst);
void smallFft2(const float* src, float* dst);
void smallFft4Forward(const float* src, float* dst);
void smallFft8Forward(const float* src, float* dst);
void smallFft4Inverse(const float* src, float* dst);
void smallFft8Inverse(const float* src, float* dst);
void smallFft1Scaled(const float* src, float* dst, float factor);
void smallFft2Scaled(const float* src, float* dst, float factor);
void smallFft4ForwardScaled(const float* src, float* dst, float factor);
void smallFft8ForwardScaled(const float* src, float* dst, float factor);
void smallFft4InverseScaled(const float* src, float* dst, float factor);
void smallFft8InverseScaled(const float* src, float* dst, float factor);

extern const dspSmallFftTables smallFftTables;

// Bit-reversal permutation of n complex values (interleaved float pairs): the
// value at index x moves to the index with x's log2(n) bits reversed. The table
// is the FFT record's pair list for n. Values are moved, never computed.
// src and dst must not overlap. Any n >= 1 (n below 8 needs no table).
void bitReverseCopy(const float* src, float* dst, int n, const std::int32_t* pairTable);
// n >= 1 (n below 4 leaves the data as it is).
void bitReverseInPlace(float* data, int n, const std::int32_t* pairTable);

// Radix passes of an n-point complex FFT (interleaved float pairs) whose input
// is already in bit-reversed order; afterwards data holds the unscaled
// transform in natural order. Forward: X[k] = sum x[j] e^(-2 pi i jk/n);
// inverse: the same with e^(+2 pi i jk/n). twiddles is the generic table of
// entries (w^m, w^2m, w^3m), w = e^(-2 pi i/n), m = 0 .. n/4, built for n; the
// inverse uses its conjugates. n from 8 to 1024. In place.
void complexFftPasses(float* data, int n, const float* twiddles);
void complexIfftPasses(float* data, int n, const float* twiddles);

// The real step of a real FFT of N = 2H floats around its H-point complex FFT,
// H a power of two, at least 8. Forward, in place: the complex spectrum Z of the
// packed samples (Z[0] already turned into R(0), R(N/2)) becomes R(k), I(k) for
// k = 1 .. H-1; twiddles is the record's forwardPostTwiddles.
void realFftForwardPost(float* data, int H, const float* twiddles);
// Inverse: floats 2 .. N-1 of a spectrum in the NyquistSecond layout in src
// become twice the complex spectrum of the packed samples in dst, which is src
// or does not overlap it; twiddles is the record's inversePreTwiddles.
void realFftInversePre(const float* src, float* dst, int H, const float* twiddles);

}  // namespace cls_generic
