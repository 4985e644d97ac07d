#pragma once

// Element-wise arithmetic on float vectors, in place. Each entry runs the body of
// the processor class in force; any thread, wait-free, never allocates. No
// alignment is required of any array: alignment only picks the fastest path.
// Results are identical in every class for inputs without NaN. Arguments are
// checked first (null pointers, then len < 1); an error leaves every array as it was.

// srcDst[i] = |srcDst[i]| (the sign bit cleared) for i < len. The vector classes
// leave a NaN's other bits as they are; the generic class, which passes every
// value through the x87 unit, also sets the quiet bit of a signalling NaN.
// dspErrNullPointer, dspErrLength or dspOk.
int dspAbsInPlace(float* srcDst, int len);

// srcDst[i] = src[i] + srcDst[i] for i < len. src may be srcDst itself (every
// element doubles); otherwise the arrays must not overlap.
// dspErrNullPointer (either null), dspErrLength or dspOk.
int dspAddInPlace(const float* src, float* srcDst, int len);

// srcDst[i] = srcDst[i] * value for i < len. A value equal to 1 touches nothing;
// a value equal to 0 (either sign) writes +0.0 everywhere, also over infinities
// and NaNs; a NaN value makes every element NaN.
// dspErrNullPointer, dspErrLength or dspOk.
int dspMulConstInPlace(float value, float* srcDst, int len);
