#include "primitives/dispatch/instruction_set_generic.h"

#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/fft/fft_bodies.h"
#include "primitives/fft/fft_direction.h"
#include "primitives/fft/generic_steps.h"
#include "primitives/fft/real_fft.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/vector_bodies.h"

// The generic transforms: orders 0 to 3 by closed forms; from order 4 the N
// samples are read as H = N/2 complex points, whose complex FFT runs as a bit
// reversal and radix passes (the large path above 1024 points), and a real step
// turns it into the real spectrum (or, inverse, the real step comes first).
namespace cls_generic {

#include "primitives/fft/record_tables_inl.h"
#include "primitives/fft/transform_frame_inl.h"
#include "primitives/fft/pair_list_bit_reverse.h"
#include "primitives/fft/generic_small_fft.h"
#include "primitives/fft/generic_passes.h"
#include "primitives/fft/generic_real_split.h"
#include "primitives/fft/large_driver.h"
#include "primitives/fft/large_generic_kit.h"
#include "primitives/fft/large_class_bodies.h"

void bitReverseCopy(const float* src, float* dst, int n, const std::int32_t* pairTable)
{
    pairListBitReverseCopy(src, dst, n, pairTable);
}

void bitReverseInPlace(float* data, int n, const std::int32_t* pairTable)
{
    pairListBitReverseInPlace(data, n, pairTable);
}

namespace {

using Real = long double;
constexpr const dsp::fft::LargeFftPlan& kLargePlan = dsp::fft::kFourStepPlan;

int forward(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer,
            const dspSmallFftTable& closedForms)
{
    const auto steps = [&](int h, float* work) {
        const int points = 1 << h;
        if (h > kLargePlan.directLimit) {
            complexFftLarge(kLargePlan, spec, src, dst, h, work);  // scales as it goes
        } else {
            const std::int32_t* bitReverse = wordTableOf(spec, spec->bitReverseTable);
            if (src != dst)
                bitReverseCopy(src, dst, points, bitReverse);
            else
                bitReverseInPlace(dst, points, bitReverse);
            complexFftPasses(dst, points, floatTableOf(spec, spec->twiddles));
            scaleComplexSpectrum(spec, FftDirection::Forward, dst, points);
        }
        sumAndDifference<Real>(dst, dst);  // Z(0) becomes R(0), R(N/2)
        realFftForwardPost(dst, points, floatTableOf(spec, spec->forwardPostTwiddles));
    };
    return runTransform(src, dst, spec, buffer, closedForms, FftDirection::Forward, steps);
}

}  // namespace

int realFftForward(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    return forward(src, dst, spec, buffer, smallFftTables.forward);
}

int realFftInverse(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    const auto steps = [&](int h, float* work) {
        const int points = 1 << h;
        sumAndDifference<Real>(src, dst);
        realFftInversePre(src, dst, points, floatTableOf(spec, spec->inversePreTwiddles));
        // From here on the work is in place on dst: src is never read again.
        if (h > kLargePlan.directLimit) {
            complexIfftLarge(kLargePlan, spec, dst, dst, h, work);  // scales as it goes
        } else {
            bitReverseInPlace(dst, points, wordTableOf(spec, spec->bitReverseTable));
            complexIfftPasses(dst, points, floatTableOf(spec, spec->twiddles));
            scaleComplexSpectrum(spec, FftDirection::Inverse, dst, points);
        }
    };
    return runTransform(src, dst, spec, buffer, smallFftTables.inverse, FftDirection::Inverse, steps);
}

int realFftForwardNyquistLast(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    return withNyquistLast(forward(src, dst, spec, buffer, smallFftTables.nyquistLast), dst, spec);
}

int realFftForwardNyquistLastInPlace(float* srcDst, const dspRealFftSpec* spec, void* buffer)
{
    return realFftForwardNyquistLast(srcDst, srcDst, spec, buffer);
}

}  // namespace cls_generic
