#pragma once

// The real step of a real FFT of N = 2H floats, around its H-point complex FFT.
// H is a power of two, at least 8. No allocation, wait-free.
namespace cls_generic {

// In place: the complex spectrum Z of the packed samples (Z[0] already turned
// into R(0), R(N/2)) becomes R(k), I(k) for k = 1 .. H-1. twiddles is the
// record's forwardPostTwiddles.
void realFftForwardPost(float* data, int H, const float* twiddles);

// Floats 2 .. N-1 of a spectrum in the NyquistSecond layout in src become twice
// the complex spectrum of the packed samples in dst. src is the same array as
// dst or does not overlap it. twiddles is the FFT record's inversePreTwiddles.
void realFftInversePre(const float* src, float* dst, int H, const float* twiddles);

}  // namespace cls_generic
