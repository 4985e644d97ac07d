#pragma once

// Every real-FFT body of one vector class, from the kernels instantiated on the
// class's plan kPlan. Included inside the class namespace after the kernels;
// contracts in vector_steps.h and fft_bodies.h.

namespace vector_fft {
constexpr FftDirection kForward = FftDirection::Forward;
constexpr FftDirection kInverse = FftDirection::Inverse;
}  // namespace vector_fft

void bitReverseCopy(const float* src, float* dst, int n, const std::int32_t* table)
{
    vector_fft::bitReverseCopyOf<kPlan>(src, dst, n, table);
}

void bitReverseInPlace(float* data, int n, const std::int32_t* table)
{
    vector_fft::bitReverseInPlaceOf<kPlan>(data, n, table);
}

void complexFftPasses(float* data, int n, const float* twiddles, float* work, int interleaveOutput)
{
    vector_fft::complexPasses<kPlan, vector_fft::kForward>(data, n, twiddles, work, interleaveOutput);
}

void complexIfftPasses(float* data, int n, const float* twiddles, float* work, int interleaveOutput)
{
    vector_fft::complexPasses<kPlan, vector_fft::kInverse>(data, n, twiddles, work, interleaveOutput);
}

void complexFftFused(const float* src, float* dst, int n, const float* twiddles, const std::int32_t* indexList,
                     float* work)
{
    vector_fft::complexFused<kPlan, vector_fft::kForward>(src, dst, n, twiddles, indexList, work);
}

void complexIfftFused(const float* src, float* dst, int n, const float* twiddles, const std::int32_t* indexList,
                      float* work)
{
    vector_fft::complexFused<kPlan, vector_fft::kInverse>(src, dst, n, twiddles, indexList, work);
}

void realFftForwardPost(float* data, int H, const float* twiddles)
{
    vector_fft::realForwardPost<kPlan>(data, H, twiddles);
}

void realFftInversePre(const float* src, float* dst, int H, const float* twiddles)
{
    vector_fft::realInversePre<kPlan>(src, dst, H, twiddles);
}

int realFftForward(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    return vector_fft::forwardTransform<kPlan>(src, dst, spec, buffer, cls_generic::smallFftTables.forward);
}

int realFftInverse(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    return vector_fft::inverseTransform<kPlan>(src, dst, spec, buffer);
}

int realFftForwardNyquistLast(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    return withNyquistLast(
        vector_fft::forwardTransform<kPlan>(src, dst, spec, buffer, cls_generic::smallFftTables.nyquistLast), dst,
        spec);
}

int realFftForwardNyquistLastInPlace(float* srcDst, const dspRealFftSpec* spec, void* buffer)
{
    return realFftForwardNyquistLast(srcDst, srcDst, spec, buffer);
}
