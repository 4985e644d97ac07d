#pragma once

#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/real_fft.h"

// Real-FFT records in the tests: the scaling flags and what they multiply by,
// each class's in-cache orders, the sizes a query gives, a record made under the
// class in force and freed at the end, and a record's tables by their offsets.
namespace ffttest {

constexpr int kScalingFlags[] = {dspFftScaleForward, dspFftScaleInverse, dspFftScaleSymmetric, dspFftScaleNone};

inline long double forwardScale(int flag, int n)
{
    return flag == dspFftScaleForward ? 1.0L / n : flag == dspFftScaleSymmetric ? 1.0L / std::sqrt(1.0L * n) : 1.0L;
}

inline long double inverseScale(int flag, int n)
{
    return flag == dspFftScaleInverse ? 1.0L / n : flag == dspFftScaleSymmetric ? 1.0L / std::sqrt(1.0L * n) : 1.0L;
}

// Per class, the largest order whose complex FFT of N/2 points runs in cache.
constexpr int kLastInCacheOrder[kCpuClassCount] = {11, 11, 16, 17, 18, 18};

struct Sizes {
    int spec = 0, scratch = 0, work = 0;
};

inline Sizes querySizes(int order, int flag = dspFftScaleNone)
{
    Sizes s;
    EXPECT_EQ(dspRealFftQuerySizes(order, flag, 1, &s.spec, &s.scratch, &s.work), dspOk);
    return s;
}

inline const float* floatTable(const dspRealFftSpec* spec, std::uint32_t offset)
{
    return reinterpret_cast<const float*>(reinterpret_cast<const char*>(spec) + offset);
}

inline const std::int32_t* wordTable(const dspRealFftSpec* spec, std::uint32_t offset)
{
    return reinterpret_cast<const std::int32_t*>(reinterpret_cast<const char*>(spec) + offset);
}

class Spec {
public:
    explicit Spec(int order, int flag = dspFftScaleNone) { EXPECT_EQ(dspRealFftCreate(&spec, order, flag, 1), dspOk); }
    ~Spec() { dspRealFftFree(spec); }
    Spec(const Spec&) = delete;
    Spec& operator=(const Spec&) = delete;

    const dspRealFftSpec* get() const { return spec; }
    const dspRealFftSpec* operator->() const { return spec; }
    const float* floats(std::uint32_t offset) const { return floatTable(spec, offset); }
    const std::int32_t* words(std::uint32_t offset) const { return wordTable(spec, offset); }

private:
    dspRealFftSpec* spec = nullptr;
};

}  // namespace ffttest
