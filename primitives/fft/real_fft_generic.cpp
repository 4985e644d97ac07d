#ifdef __SSE3__
#error "the generic class is built for the x86_64 baseline"
#endif

#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/fft/bit_reverse.h"
#include "primitives/fft/complex_passes.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/real_fft_bodies.h"
#include "primitives/fft/real_split.h"
#include "primitives/fft/small_fft.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/arithmetic_bodies.h"

// The generic transforms: orders 0 to 3 by closed forms; from order 4 the N
// samples are read as H = N/2 complex points, whose complex FFT runs as a bit
// reversal and radix passes (the large path above 1024 points), and a real step
// turns it into the real spectrum (or, inverse, the real step comes first).
namespace cls_generic {

#include "primitives/fft/transform_frame_inl.h"

namespace {

using Real = long double;
constexpr int kInCacheLimit = 10;  // largest h whose complex FFT runs from one twiddle table

// Arguments in the order every transform tests them; the first failure returns.
int checkArguments(const void* src, const void* dst, const dspRealFftSpec* spec)
{
    if (spec == nullptr)
        return dspErrNullPointer;
    if (spec->magic != dspRealFftSpecMagic)
        return dspErrNotFftSpec;
    if (src == nullptr || dst == nullptr)
        return dspErrNullPointer;
    return dspOk;
}

void runSmall(const dspSmallFftTable& routines, const float* src, float* dst, const dspRealFftSpec* spec,
              bool scaled)
{
    if (scaled)
        routines.scaled[spec->order](src, dst, spec->scaleFactor);
    else
        routines.unscaled[spec->order](src, dst);
}

int forward(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer, const dspSmallFftTable& small)
{
    const int checked = checkArguments(src, dst, spec);
    if (checked != dspOk)
        return checked;
    if (spec->order <= 3) {
        runSmall(small, src, dst, spec, spec->scaleForward == 1);
        return dspOk;
    }
    WorkArea work;
    if (!work.obtain(spec, buffer))
        return dspErrNoMemory;
    const int h = spec->order - 1;
    const int points = 1 << h;

    if (h > kInCacheLimit) {
        complexFftLarge(spec, src, dst, h, work.area);  // scales as it goes
    } else {
        const std::int32_t* bitReverse = wordTableOf(spec, spec->bitReverseTable);
        if (src != dst)
            bitReverseCopy(src, dst, points, bitReverse);
        else
            bitReverseInPlace(dst, points, bitReverse);
        complexFftPasses(dst, points, floatTableOf(spec, spec->twiddles));
        // Scaling the complex spectrum scales the real one: the real step is linear.
        if (spec->scaleForward == 1)
            mulConstInPlace(spec->scaleFactor, dst, 2 * points);
    }
    const Real z0re = dst[0], z0im = dst[1];
    dst[0] = static_cast<float>(z0re + z0im);  // R(0)
    dst[1] = static_cast<float>(z0re - z0im);  // R(N/2)
    realFftForwardPost(dst, points, floatTableOf(spec, spec->forwardPostTwiddles));
    return dspOk;
}

}  // namespace

int realFftForward(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    return forward(src, dst, spec, buffer, smallFftTables.forward);
}

int realFftInverse(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    const int checked = checkArguments(src, dst, spec);
    if (checked != dspOk)
        return checked;
    if (spec->order <= 3) {
        runSmall(smallFftTables.inverse, src, dst, spec, spec->scaleInverse == 1);
        return dspOk;
    }
    WorkArea work;
    if (!work.obtain(spec, buffer))
        return dspErrNoMemory;
    const int h = spec->order - 1;
    const int points = 1 << h;

    const Real r0 = src[0], rHalf = src[1];
    dst[1] = static_cast<float>(r0 - rHalf);
    dst[0] = static_cast<float>(r0 + rHalf);
    realFftInversePre(src, dst, points, floatTableOf(spec, spec->inversePreTwiddles));
    // From here on the work is in place on dst: src is never read again.
    if (h > kInCacheLimit) {
        complexIfftLarge(spec, dst, dst, h, work.area);  // scales as it goes
    } else {
        bitReverseInPlace(dst, points, wordTableOf(spec, spec->bitReverseTable));
        complexIfftPasses(dst, points, floatTableOf(spec, spec->twiddles));
        if (spec->scaleInverse == 1)
            mulConstInPlace(spec->scaleFactor, dst, 2 * points);
    }
    return dspOk;
}

int realFftForwardNyquistLast(const float* src, float* dst, const dspRealFftSpec* spec, void* buffer)
{
    const int status = forward(src, dst, spec, buffer, smallFftTables.nyquistLast);
    if (status == dspOk)
        moveNyquistLast(dst, 1 << spec->order);
    return status;
}

int realFftForwardNyquistLastInPlace(float* srcDst, const dspRealFftSpec* spec, void* buffer)
{
    return realFftForwardNyquistLast(srcDst, srcDst, spec, buffer);
}

}  // namespace cls_generic
