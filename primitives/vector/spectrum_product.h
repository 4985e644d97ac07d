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

// Sums of spectrum products in the split layout, one pass, for the convolution.
// Bins lie in strips of eight, whose rows hold 16 floats: two blocks of four
// bins, each the four real parts then the four imaginary parts, so bin k of a
// strip lies at 8·(k / 4) + k % 4 and 4 floats later. Run t < runs has rows[t]
// rows (0 or more) in every strip: row r of strip s of a[t] starts at
// a[t] + s·aStripStride + 16·r, of b[t] at b[t] + s·bStripStride + 16·r; sum
// holds one row per strip, strip s's at sum + 16·s. For every bin k < bins,
// sum[k] += a[t]_r[k] · b[t]_r[k] over the runs in order and each run's rows in
// order. The last strip's lanes beyond bins are read from a and b but neither
// used nor written in sum. With realFirstBin non-zero, bin 0 holds two real
// values (the DC term as its real part, the Nyquist term as its imaginary
// part), each multiplied by its own. Every product and sum rounds as
// dspMulSpectra followed by dspAddInPlace would round it, in every class, so
// the result is theirs to the bit.
// sum must not overlap a or b. Any thread, wait-free, never allocates. No
// alignment is required (16-byte aligned arrays and strides take the fastest path).
// dspErrNullPointer (a, b, rows, sum or any run's a[t] or b[t] null), then
// dspErrLength (bins or runs < 1, a negative rows[t], or a stride < 16 with
// more than one strip), writing nothing; else dspOk.
int dspMulAccumulateSplitSpectra(const float* const* a, const float* const* b, const int* rows, int runs, float* sum,
                                 int bins, int aStripStride, int bStripStride, int realFirstBin);

// dspMulAccumulateSplitSpectra of a with b into sum and of a with c into
// otherSum, in one pass: each of a's rows is read once for both. c's runs
// have the rows and strides of b's; otherSum must not overlap sum, a, b or c.
// Every sum is dspMulAccumulateSplitSpectra's to the bit. The same checks, with
// c and otherSum beside b and sum.
int dspMulAccumulateSplitSpectraPair(const float* const* a, const float* const* b, const float* const* c,
                                     const int* rows, int runs, float* sum, float* otherSum, int bins, int aStripStride,
                                     int bStripStride, int realFirstBin);
