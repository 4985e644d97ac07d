#include "primitives/fft/size_planning.h"

#include <algorithm>

#include "primitives/fft/fft_class.h"
#include "primitives/fft/rounding_32.h"

namespace {

using dsp::fft::batchOf;
using dsp::fft::FftClass;
using dsp::fft::LargeTableLayout;
using dsp::fft::pow2;
using dsp::fft::roundDown32;
using dsp::fft::roundUp32;
using dsp::fft::splitOf;

// The in-cache twiddles of 2^l points: 8 * 2^l + 32 bytes in every layout.
std::int64_t inCacheTwiddleBytes(int l) { return roundDown32(8 * pow2(l) + 39); }

// 1024-point blocks joined by outer passes, over 2^l points.
dspFftSizes blockPathSizes(const FftClass& cls, int l)
{
    if (cls.largeTables == LargeTableLayout::SseBlockOrSplit)  // an outer table for every join level
        return {roundUp32(pow2(l) / 2 * 8) + inCacheTwiddleBytes(10), 0, 8192};
    return {roundUp32(pow2(l) / 4 * 8) + inCacheTwiddleBytes(10), 0, 0};
}

// A four-step level of the generic and sse classes: rows, then columns four at a time.
dspFftSizes splitLevelSizes(const FftClass& cls, int h)
{
    const int s = splitOf(cls, h);
    const int r = h - s;
    dspFftSizes sizes;
    if (r <= cls.directLimit)
        sizes = {inCacheTwiddleBytes(r), 0, cls.directPathWork ? roundUp32(8 * pow2(r)) : 0};
    else if (splitOf(cls, r) == 0)
        sizes = blockPathSizes(cls, r);
    else
        sizes = splitLevelSizes(cls, r);
    const std::int64_t columns = pow2(s);
    sizes.spec += inCacheTwiddleBytes(s) + 8 * pow2(h);  // column twiddles, step twiddles
    sizes.scratch += roundDown32(columns + 35) + 32 * columns;  // column pair table, four columns
    sizes.work = std::max(sizes.work, 32 * columns);
    return sizes;
}

// A split level of the tiled classes: rows, then column tiles with pass-ordered twiddles.
dspFftSizes tiledLevelSizes(const FftClass& cls, int h)
{
    const int r = h - splitOf(cls, h);
    dspFftSizes sizes = r <= cls.directLimit
                            ? dspFftSizes{inCacheTwiddleBytes(r), 0, roundUp32(8 * pow2(r))}
                            : tiledLevelSizes(cls, r);
    sizes.spec += 8 * pow2(h);
    sizes.work = std::max(sizes.work, 8 * pow2(batchOf(cls, h)));
    return sizes;
}

}  // namespace

dspFftSizes dspRealFftLargeSizes(const FftClass& cls, int h)
{
    if (cls.largeTables == LargeTableLayout::TiledSplit) {
        dspFftSizes sizes = tiledLevelSizes(cls, h);
        // The tiled bit reversal moves two 64 x 64-point tiles through the work buffer.
        if (h >= cls.large->tileReverseFrom)
            sizes.work = std::max<std::int64_t>(sizes.work, 65536);
        return sizes;
    }
    return splitOf(cls, h) == 0 ? blockPathSizes(cls, h) : splitLevelSizes(cls, h);
}

dspFftSizes dspRealFftLargeSizes(int cpuClass, int h) { return dspRealFftLargeSizes(dsp::fft::fftClass(cpuClass), h); }

dspFftSizes dspRealFftSpecSizes(int cpuClass, int order)
{
    if (order <= 3)
        return {84 + 32, 0, 0};  // the header and its alignment slack
    const FftClass& cls = dsp::fft::fftClass(cpuClass);
    const int h = order - 1;
    const std::int64_t points = pow2(h);
    dspFftSizes sizes = h > cls.directLimit
                            ? dspRealFftLargeSizes(cpuClass, h)
                            : dspFftSizes{inCacheTwiddleBytes(h), 0, cls.directPathWork ? roundUp32(8 * points) : 0};
    const std::int64_t realTwiddleBytes = roundUp32(2 * points / 4 * 8);
    sizes.spec += roundDown32(points + 35) + 2 * realTwiddleBytes + 128;
    sizes.scratch = order > 10 ? roundDown32(2 * points + 35) + sizes.scratch + 32 : 0;
    sizes.work = sizes.work > 0 ? sizes.work + 32 : 0;
    return sizes;
}
