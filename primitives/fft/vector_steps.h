#pragma once

#include <cstdint>

// The real-FFT steps of the vector classes (1 to 5), which the class's own
// transform bodies and large transforms call directly. Points are interleaved
// float pairs; none of these checks its arguments or allocates, all are
// wait-free, and the tables are the class's own (see the FFT record builders).
#define DSP_DECLARE_IN_VECTOR_CLASSES(...) \
    namespace cls_sse { __VA_ARGS__ }      \
    namespace cls_sse2 { __VA_ARGS__ }     \
    namespace cls_sse3 { __VA_ARGS__ }     \
    namespace cls_ssse3 { __VA_ARGS__ }    \
    namespace cls_sse41 { __VA_ARGS__ }

DSP_DECLARE_IN_VECTOR_CLASSES(
    // Bit reversal of n values with the class's table for n: the pair list in
    // class 1 (any n), the index list in classes 2 to 5 (n = 8 or n >= 16).
    // src and dst must not overlap.
    void bitReverseCopy(const float* src, float* dst, int n, const std::int32_t* table);
    void bitReverseInPlace(float* data, int n, const std::int32_t* table);

    // The radix passes of an n-point complex FFT on bit-reversed data, unscaled,
    // forward (e^-) or inverse (e^+), with the class's pass twiddles for n. Works
    // in data when it is 16-byte aligned, else in work (8n bytes, 16-byte
    // aligned), which then holds nothing of use. The result is interleaved when
    // interleaveOutput is 1, else in blocks of four real then four imaginary
    // parts. n from 32 (class 1: 8 to 1024).
    void complexFftPasses(float* data, int n, const float* twiddles, float* work, int interleaveOutput);
    void complexIfftPasses(float* data, int n, const float* twiddles, float* work, int interleaveOutput);

    // Bit reversal and passes in one: natural-order src to the interleaved
    // transform in dst, which may be src. indexList is the class's index list for
    // n; work (8n bytes, 16-byte aligned) is used unless dst is another 16-byte
    // aligned array; n = 8 and 16 use neither it nor the list. n from 8 to half
    // the class's in-cache size.
    void complexFftFused(const float* src, float* dst, int n, const float* twiddles,
                         const std::int32_t* indexList, float* work);
    void complexIfftFused(const float* src, float* dst, int n, const float* twiddles,
                          const std::int32_t* indexList, float* work);

    // The real step around an H-point complex FFT (H >= 8), as the generic class's:
    // forward in place on data; inverse from src (floats 2 .. 2H-1) into dst,
    // which is src or does not overlap it. Bit for bit the same in classes 1 to 5.
    void realFftForwardPost(float* data, int H, const float* twiddles);
    void realFftInversePre(const float* src, float* dst, int H, const float* twiddles);
)
