#pragma once

// Conversion between planar channels and interleaved frames (sample c of frame i
// at element i * channelCount + c). Each entry runs the body of the processor
// class in force; any thread, wait-free, never allocates. Samples move as 32-bit
// patterns: NaNs, infinities, denormals and signed zeros arrive unchanged. No
// alignment is required; every buffer on a 16-byte boundary takes the fastest path.
// The interleaved buffer must not overlap a channel.
//
// Checks, in order, before anything is written: the pointer array or the
// interleaved buffer null: dspErrNullPointer; channelCount < 1: dspErrChannelCount;
// len < 1: dspErrLength; any channel pointer null: dspErrNullPointer. After the
// copy: dspWarnUnaligned when any buffer is not 16-byte aligned, else dspOk.

// dst[i * channelCount + c] = channels[c][i] for i < len, c < channelCount.
int dspInterleave(const float* const* channels, int channelCount, int len, float* dst);

// channels[c][i] = src[i * channelCount + c] for i < len, c < channelCount.
int dspDeinterleave(const float* src, int channelCount, int len, float* const* channels);
