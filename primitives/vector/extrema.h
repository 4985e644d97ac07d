#pragma once

// Searches of a float vector, read only. Each entry runs the body of the processor
// class in force; any thread, wait-free, never allocates. src needs no alignment.
// A NaN never replaces the running result, which starts at src[0]: the result is
// NaN only when src[0] is. When the extreme is a zero and both signs occur, either
// zero may be written. Arguments are checked first (src, then the result pointer,
// then len < 1); an error writes nothing.

// *max = the largest element. dspErrNullPointer, dspErrLength or dspOk.
int dspMax(const float* src, int len, float* max);

// *min = the smallest element. dspErrNullPointer, dspErrLength or dspOk.
int dspMin(const float* src, int len, float* min);

// *max = the largest element and *index = the position of its first occurrence.
// A null index is allowed: only *max is written.
// dspErrNullPointer (src or max null), dspErrLength or dspOk.
int dspMaxIndex(const float* src, int len, float* max, int* index);
