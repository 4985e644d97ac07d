#pragma once

// Fill and copy of float vectors and of raw bytes. Every entry: any thread,
// wait-free, never allocates, takes no lock; any alignment; the same bits in
// every processor class. Lengths are counted in floats, byte counts in bytes;
// the work is sized in 64 bits, so every length an int can hold is done whole.
// On an error nothing is written.

// Sets len floats at dst to +0.0 (all bits clear). dspErrNullPointer for a null
// dst, then dspErrLength for len < 1.
int dspZero(float* dst, int len);

// Copies len floats from src to dst bit for bit (signed zeros and NaN payloads
// included). dspErrNullPointer when either pointer is null, then dspErrLength for
// len < 1. The ranges must not overlap, except that src == dst leaves them as they were.
int dspCopy(const float* src, float* dst, int len);

// Sets n bytes at p to zero; n need not be a multiple of 4. dspErrNullPointer,
// then dspErrLength for n < 1.
int dspZeroBytes(void* p, int n);

// Copies n bytes from src to dst with the class's copy kernel. dspErrNullPointer
// when either pointer is null, then dspErrLength for n < 1. Overlap as dspCopy.
int dspCopyBytes(const void* src, void* dst, int n);

// Readies [p, p + bytes) for reading: reads the first and the last byte of every
// 4096-byte block and hints every 32-byte line in non-temporally. Never writes;
// bytes < 1 does nothing. Not a dispatch entry: the same in every class.
void dspPrefetchBlock(const void* p, int bytes);
