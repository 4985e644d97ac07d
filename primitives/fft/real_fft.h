#pragma once

#include <cstddef>
#include <cstdint>

// Real FFT of N = 2^order floats (order 0 to 30).
//
// The FFT record, a dspRealFftSpec, is one block: a 21-word header followed by
// every table the transforms of that length need. It is built for the processor
// class in force and must be used under that same class. Once valid it is only
// read, so any number of threads may transform with one record at once, each
// with its own work buffer (or a null buffer, which makes each call allocate its own).
//
// The spectrum X(k) = R(k) + i I(k), k = 0 .. N/2, of N real samples is packed
// into N floats (I(0) and I(N/2) are zero and not stored) in one of two layouts:
//   NyquistSecond layout: [R0, R(N/2), R1, I1, R2, I2, ..., R(N/2-1), I(N/2-1)]
//   NyquistLast layout:   [R0, R1, I1, R2, I2, ..., R(N/2-1), I(N/2-1), R(N/2)]
// Both are [R0] for N = 1 and [R0, R1] for N = 2.

constexpr std::int32_t dspRealFftSpecMagic = 6;

// Scaling flags of dspRealFftCreate and dspRealFftInit.
enum : int {
    dspFftScaleForward = 1,    // forward result times 1/N
    dspFftScaleInverse = 2,    // inverse result times 1/N
    dspFftScaleSymmetric = 4,  // both directions times 1/sqrt(N)
    dspFftScaleNone = 8
};

// Table positions are byte offsets from the record's own start (0 = no table),
// so the header keeps its 84 bytes on 64-bit targets and every documented size
// holds unchanged.
struct dspRealFftSpec {
    std::int32_t magic;         // dspRealFftSpecMagic while valid, 0 once freed or refused
    std::int32_t order;         // log2 N
    std::int32_t scaleForward;  // 1: forward results are multiplied by scaleFactor
    std::int32_t scaleInverse;  // 1: inverse results are multiplied by scaleFactor
    float scaleFactor;          // 1/N, 1/sqrt(N) or 0.0 (no scaling)
    std::int32_t hint;          // the caller's hint, stored and never read
    std::int32_t workSize;      // work bytes one transform needs, without alignment slack
    std::int32_t owned;         // 1 when dspRealFftCreate allocated the block
    std::int32_t unused;
    std::uint32_t bitReverseTable;
    std::uint32_t twiddles;
    std::uint32_t outerTwiddles;
    std::uint32_t finalTwiddles;
    std::uint32_t forwardPostTwiddles;
    std::uint32_t inversePreTwiddles;
    std::uint32_t columnTwiddles[3];
    std::uint32_t stepTwiddles[3];
};

static_assert(sizeof(dspRealFftSpec) == 84, "the header is 21 32-bit words");
static_assert(offsetof(dspRealFftSpec, scaleFactor) == 4 * 4, "word 4");
static_assert(offsetof(dspRealFftSpec, workSize) == 6 * 4, "word 6");
static_assert(offsetof(dspRealFftSpec, owned) == 7 * 4, "word 7");
static_assert(offsetof(dspRealFftSpec, bitReverseTable) == 9 * 4, "word 9");
static_assert(offsetof(dspRealFftSpec, twiddles) == 10 * 4, "word 10");
static_assert(offsetof(dspRealFftSpec, outerTwiddles) == 11 * 4, "word 11");
static_assert(offsetof(dspRealFftSpec, finalTwiddles) == 12 * 4, "word 12");
static_assert(offsetof(dspRealFftSpec, forwardPostTwiddles) == 13 * 4, "word 13");
static_assert(offsetof(dspRealFftSpec, inversePreTwiddles) == 14 * 4, "word 14");
static_assert(offsetof(dspRealFftSpec, columnTwiddles) == 15 * 4, "words 15 to 17");
static_assert(offsetof(dspRealFftSpec, stepTwiddles) == 18 * 4, "words 18 to 20");

// Bytes of the record's block, of initialisation scratch and of work buffer (with 32
// bytes of alignment slack each) for one order and flag under the current
// class. Orders whose record would not fit 31 bits give dspErrNoMemory.
// Any thread; does not allocate.
int dspRealFftQuerySizes(int order, int flag, int hint, int* specBytes, int* scratchBytes, int* workBytes);

// Builds a record in caller memory: at block's first 32-byte boundary, using
// scratch (orders above 10 only) the same way. block and scratch must hold the
// sizes dspRealFftQuerySizes gives under the same class. On failure *out is
// untouched. Does not allocate; the scratch may be discarded afterwards.
int dspRealFftInit(dspRealFftSpec** out, int order, int flag, int hint, void* block, void* scratch);

// Allocates and builds a record; release it with dspRealFftFree. Allocates; not
// for the audio thread. On failure *out is untouched and nothing stays allocated.
int dspRealFftCreate(dspRealFftSpec** out, int order, int flag, int hint);

// Invalidates a record and releases it when dspRealFftCreate made it.
int dspRealFftFree(dspRealFftSpec* spec);

// *size = the work buffer bytes the transforms want (0 when none), alignment slack included.
int dspRealFftBufferSize(const dspRealFftSpec* spec, int* size);

// N real samples to their spectrum X(k) = sum x(n) e^(-2 pi i k n / N) in the
// NyquistSecond layout, unscaled unless the FFT record scales.
// src and dst are the same array or do not overlap. buffer is null or holds
// dspRealFftBufferSize bytes; with a record that needs work memory a null buffer
// costs one allocation per call. Wait-free when it does not allocate.
int dspRealFftForward(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer);

// A spectrum in the NyquistSecond layout back to N samples, x(n) = sum X(k) e^(+2 pi i k n / N)
// (no 1/N unless the FFT record scales). Never writes src when it differs from dst.
int dspRealFftInverse(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer);

// The forward transform in place, the spectrum in the NyquistLast layout.
int dspRealFftForwardNyquistLastInPlace(float* srcDst, const dspRealFftSpec* spec, void* buffer);
