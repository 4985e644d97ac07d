#pragma once

// Product of two packed real spectra, element by element, as complex numbers.
// Runs the body of the processor class in force; any thread, wait-free, never
// allocates. No alignment is required (16-byte aligned arrays take the fastest path).
//
// With an even len (the NyquistSecond layout of real_fft.h) elements 0
// and 1 are real and the complex pairs (real part first) start at element 2; with
// an odd len element 0 is real and the pairs start at element 1:
//   dst[0] = a[0] * b[0]; for an even len dst[1] = a[1] * b[1];
//   each pair: (ar*br - ai*bi, ar*bi + ai*br).
// dst may be a or b itself (or both); otherwise it must not overlap them. a and b
// may be one array. Classes 1 to 5 round every product to float and agree bit for
// bit on inputs without NaN; class 0 keeps the products exact and rounds once.
// dspErrNullPointer (any pointer null), then dspErrLength (len < 1), writing
// nothing; else dspOk.
int dspMulSpectra(const float* a, const float* b, float* dst, int len);
