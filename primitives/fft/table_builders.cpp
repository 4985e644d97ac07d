#include "primitives/fft/table_builders.h"

#include <cmath>
#include <cstdint>

#include "primitives/fft/fft_class.h"
#include "primitives/fft/rounding_32.h"

namespace {

using dsp::fft::alignUp32;
using dsp::fft::fftClass;
using dsp::fft::PassTwiddleLayout;
using dsp::fft::RealTwiddleLanes;

// rev(i) over `bits` bits for i = 1, 2, ... in turn, without reversing any index from scratch.
class ReversedCounter {
public:
    explicit ReversedCounter(int bits) : top(bits > 0 ? std::int32_t{1} << (bits - 1) : 0) {}
    std::int32_t next()
    {
        std::int32_t bit = top;
        while (bit != 0 && bit <= j) {
            j -= bit;
            bit >>= 1;
        }
        j += bit;
        return j;
    }

private:
    std::int32_t top;
    std::int32_t j = 0;
};

// The frame of the one-level tables of an h-bit reversal, Q = 2^(h-2) words and
// a 0 at word Q: words(Q, counter) writes words 0 .. Q-1 with rev over h - 2 bits.
// Below h = 2 nothing is permuted and nothing written.
template <typename Words>
void* writeReversalTable(int h, std::int32_t* dst, Words words)
{
    if (h < 2)
        return dst;
    const std::int32_t count = std::int32_t{1} << (h - 2);
    ReversedCounter counter(h - 2);
    words(count, counter);
    dst[count] = 0;
    return alignUp32(dst + count + 1);
}

// One radix-4 level of the vector layouts: per four k, the quads of w^k, w^2k, w^3k.
float* writeRadix4Level(float* dst, const float* base, int m, int p)
{
    const std::int64_t quarter = std::int64_t{1} << (p - 2);
    for (std::int64_t k0 = 0; k0 < quarter; k0 += 4)
        for (int factor = 1; factor <= 3; ++factor)
            dst = dspWriteTwiddleQuad(dst, base, m, k0, factor, p);
    return dst;
}

// The radix-2 level of a 2^p-point FFT: per four k, the quad of w^k.
float* writeRadix2Level(float* dst, const float* base, int m, int p)
{
    const std::int64_t half = std::int64_t{1} << (p - 1);
    for (std::int64_t k0 = 0; k0 < half; k0 += 4)
        dst = dspWriteTwiddleQuad(dst, base, m, k0, 1, p);
    return dst;
}

struct RealTwiddle {
    float first;
    float second;
};

// Writes the real twiddles of order n, one pair per k, in the lanes of the class.
template <typename PairOf>
void* writeRealTwiddles(int cpuClass, int n, float* dst, PairOf pairOf)
{
    const std::int64_t quarter = std::int64_t{1} << (n - 2);
    const RealTwiddleLanes lanes = fftClass(cpuClass).realLanes;
    if (lanes == RealTwiddleLanes::Pairs) {
        for (std::int64_t k = 0; k < quarter; ++k) {
            const RealTwiddle t = pairOf(k);
            dst[2 * k] = t.first;
            dst[2 * k + 1] = t.second;
        }
        return alignUp32(dst + 2 * quarter);
    }
    static constexpr int kInOrder[4] = {1, 2, 3, 4};
    static constexpr int kSwapped[4] = {2, 1, 4, 3};
    const int* laneK = lanes == RealTwiddleLanes::InOrder ? kInOrder : kSwapped;
    for (std::int64_t g = 0; g < quarter / 4; ++g) {
        float* block = dst + 8 * g;
        for (int u = 0; u < 4; ++u) {
            const RealTwiddle t = pairOf(4 * g + laneK[u]);
            block[u] = t.first;
            block[4 + u] = t.second;
        }
    }
    return alignUp32(dst + 2 * quarter);
}

}  // namespace

dspTwiddlePair dspTwiddleOf(const float* base, int m, std::int64_t e, int p)
{
    const std::int64_t stride = std::int64_t{1} << (m - p);
    const std::int64_t q = std::int64_t{1} << (p - 2);  // a quarter of the level
    if (e <= q)
        return {base[(q - e) * stride], -base[e * stride]};
    if (e <= 2 * q)
        return {-base[(e - q) * stride], -base[(2 * q - e) * stride]};
    if (e <= 3 * q)
        return {-base[(3 * q - e) * stride], base[(e - 2 * q) * stride]};
    return {base[(e - 3 * q) * stride], base[(4 * q - e) * stride]};
}

float* dspWriteTwiddleQuad(float* dst, const float* base, int m, std::int64_t e0, std::int64_t factor, int p)
{
    for (int u = 0; u < 4; ++u) {
        const dspTwiddlePair w = dspTwiddleOf(base, m, (e0 + u) * factor, p);
        dst[u] = w.cos;
        dst[4 + u] = w.minusSin;
    }
    return dst + 8;
}

void* dspMakeBaseTwiddles(int m, float* dst)
{
    const std::int64_t quarter = std::int64_t{1} << (m - 2);
    const double step = 6.283185307179586 / static_cast<double>(std::int64_t{1} << m);
    // Sines up to an eighth of the circle, cosines of the complement above it:
    // no argument exceeds pi/4, and the last value is cos 0 = 1 exactly.
    for (std::int64_t k = 0; k <= quarter / 2; ++k)
        dst[k] = static_cast<float>(std::sin(static_cast<double>(k) * step));
    for (std::int64_t k = quarter / 2 + 1; k <= quarter; ++k)
        dst[k] = static_cast<float>(std::cos(static_cast<double>(quarter - k) * step));
    return alignUp32(dst + quarter + 1);
}

void* dspMakeBitReverseTable(int h, std::int32_t* dst)
{
    return writeReversalTable(h, dst, [dst](std::int32_t count, ReversedCounter& counter) {
        std::int32_t pairAt = 0;
        std::int32_t selfAt = count - 1;
        for (std::int32_t i = 1; i < count; ++i) {
            const std::int32_t j = counter.next();
            if (i < j) {
                dst[pairAt++] = 4 * i;
                dst[pairAt++] = 4 * j;
            } else if (i == j) {
                dst[selfAt--] = 4 * i;
            }
        }
        dst[pairAt] = 0;
    });
}

void* dspMakeBitReversePermutation(int h, std::int32_t* dst)
{
    return writeReversalTable(h, dst, [dst](std::int32_t count, ReversedCounter& counter) {
        dst[0] = 0;
        for (std::int32_t i = 1; i < count; ++i)
            dst[i] = 2 * counter.next();
    });
}

void* dspMakeTwoLevelBitReverseTable(int h, int k, std::int32_t* dst)
{
    const std::int32_t outer = std::int32_t{1} << (h - 2 * k);
    ReversedCounter counter(h - 2 * k);
    dst[0] = 0;
    for (std::int32_t i = 1; i < outer; ++i)
        dst[i] = counter.next() << k;
    return dspMakeBitReverseTable(2 * k, dst + outer);
}

void* dspMakeComplexTwiddles(int cpuClass, int q, const float* base, int m, float* dst)
{
    return dspMakeComplexTwiddles(fftClass(cpuClass), q, base, m, dst);
}

void* dspMakeComplexTwiddles(const dsp::fft::FftClass& cls, int q, const float* base, int m, float* dst)
{
    const std::int64_t points = std::int64_t{1} << q;
    const PassTwiddleLayout layout = cls.passTwiddles;
    if (layout == PassTwiddleLayout::Triple) {
        for (std::int64_t k = 0; k <= points / 4; ++k) {
            float* entry = dst + 6 * k;
            for (int factor = 1; factor <= 3; ++factor) {
                const dspTwiddlePair w = dspTwiddleOf(base, m, factor * k, q);
                entry[2 * factor - 2] = w.cos;
                entry[2 * factor - 1] = w.minusSin;
            }
        }
        return alignUp32(dst + 6 * (points / 4 + 1));
    }
    if (points <= 8)
        return dst;
    // Levels in the order the passes read them; 8 * 2^q bytes are reserved.
    float* level = dst;
    if (layout == PassTwiddleLayout::Radix4Only) {
        for (int p = 4 + (q & 1); p <= q; p += 2)
            level = writeRadix4Level(level, base, m, p);
    } else {
        for (int p = 4; p <= q - (q & 1); p += 2)
            level = writeRadix4Level(level, base, m, p);
        if (q & 1)
            writeRadix2Level(level, base, m, q);
    }
    return alignUp32(dst + 2 * points);
}

void* dspMakeForwardRealTwiddles(int cpuClass, int n, const float* base, int m, float* dst)
{
    const std::int64_t quarter = std::int64_t{1} << (n - 2);
    const std::int64_t stride = std::int64_t{1} << (m - n);
    return writeRealTwiddles(cpuClass, n, dst, [&](std::int64_t k) {
        const double cosine = base[(quarter - k) * stride];
        const double sine = base[k * stride];
        return RealTwiddle{static_cast<float>(0.5 * cosine), static_cast<float>(0.5 - 0.5 * sine)};
    });
}

void* dspMakeInverseRealTwiddles(int cpuClass, int n, const float* base, int m, float* dst)
{
    const std::int64_t quarter = std::int64_t{1} << (n - 2);
    const std::int64_t stride = std::int64_t{1} << (m - n);
    const bool vectorLanes = fftClass(cpuClass).realLanes != RealTwiddleLanes::Pairs;
    return writeRealTwiddles(cpuClass, n, dst, [&](std::int64_t k) {
        const float sine = base[k * stride];
        // The vector classes form -sin t as 0 - sin t.
        return RealTwiddle{base[(quarter - k) * stride], vectorLanes ? 0.0f - sine : -sine};
    });
}
