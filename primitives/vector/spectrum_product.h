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

// Sums of spectrum products in the split layout, one pass, for the convolution:
// for every bin k < bins, sum[k] += a_r[k] · b_r[k] over the rows r = 0, 1, …,
// rows − 1 in that order. A row holds its bins in blocks of four, the four real
// parts then the four imaginary parts (the last block padded when bins is not a
// multiple of 4), so bin k lies at 8·(k / 4) + k % 4 and 4 floats later; row r
// of a starts at a + r · 8·ceil(bins / 4), b likewise, and sum is one such row.
// With realFirstBin non-zero, bin 0 holds two real values (the DC term as its
// real part, the Nyquist term as its imaginary part), each multiplied by its
// own. Every product and sum rounds as dspMulSpectra followed by dspAddInPlace
// would round it, in every class, so the result is theirs to the bit.
// sum must not overlap a or b. Any thread, wait-free, never allocates. No
// alignment is required (16-byte aligned arrays take the fastest path).
// dspErrNullPointer (any pointer null), then dspErrLength (bins or rows < 1),
// writing nothing; else dspOk.
int dspMulAccumulateSplitSpectra(const float* a, const float* b, float* sum, int bins, int rows, int realFirstBin);
