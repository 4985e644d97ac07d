#include <algorithm>
#include <climits>
#include <cstdint>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/size_planning.h"
#include "tests/support/cpu_class.h"

namespace {

using Bytes = std::int64_t;

// The memory plan, written down here a second time from the design, class by class.
struct Plan {
    Bytes spec, scratch, work;
};

Bytes up32(Bytes b) { return (b + 31) / 32 * 32; }
Bytes twoTo(int e) { return Bytes{1} << e; }

constexpr int kDirectLimit[6] = {10, 10, 15, 16, 17, 17};

int splitFor(int cls, int h)
{
    if (cls <= 1) {
        if (h <= 12) return 0;
        if (h <= 15) return h - 8;  // 13: 5, 14: 6, 15: 7
        if (h <= 18) return 8;
        if (h <= 22) return 10;
        if (h <= 24) return 8;
        return 10;
    }
    if (cls == 2) {
        if (h <= 18) return 4;
        if (h == 19) return 5;
        if (h <= 21) return 6;
        return 8;
    }
    if (h == 17) return 3;
    if (h <= 20) return 4;
    if (h == 21) return 5;
    return 8;
}

int batchFor(int cls, int h)
{
    if (cls == 2) {
        if (h == 16) return 9;
        if (h <= 18) return 10;
        if (h <= 21) return 13;
        return 14;
    }
    if (h == 17) return 9;
    if (h <= 20) return 10;
    if (h == 21) return 13;
    return 15;
}

Plan blockPlan(int cls, int l)
{
    return cls == 1 ? Plan{up32(twoTo(l) / 2 * 8) + 8224, 0, 8192} : Plan{up32(twoTo(l) / 4 * 8) + 8224, 0, 0};
}

Plan splitPlan(int cls, int h)
{
    const int s = splitFor(cls, h);
    const int r = h - s;
    Plan p;
    if (r <= 10)
        p = {8 * twoTo(r) + 32, 0, cls == 1 ? 8 * twoTo(r) : 0};
    else if (splitFor(cls, r) == 0)
        p = blockPlan(cls, r);
    else
        p = splitPlan(cls, r);
    p.spec += 8 * twoTo(s) + 32 + 8 * twoTo(h);
    p.scratch += up32(4 * (twoTo(s) / 4 + 1)) + 32 * twoTo(s);
    p.work = std::max(p.work, 32 * twoTo(s));
    return p;
}

Plan tiledPlan(int cls, int h)
{
    const int r = h - splitFor(cls, h);
    Plan p = r <= kDirectLimit[cls] ? Plan{8 * twoTo(r) + 32, 0, 8 * twoTo(r)} : tiledPlan(cls, r);
    p.spec += 8 * twoTo(h);
    p.work = std::max(p.work, 8 * twoTo(batchFor(cls, h)));
    return p;
}

Plan expectedPlan(int cls, int order)
{
    if (order <= 3)
        return {116, 0, 0};
    const int h = order - 1;
    const Bytes H = twoTo(h), N = twoTo(order);
    Plan p;
    if (h <= kDirectLimit[cls])
        p = {8 * H + 32, 0, cls == 0 ? 0 : 8 * H};
    else if (cls >= 2) {
        p = tiledPlan(cls, h);
        if (h >= kDirectLimit[cls] + 2)
            p.work = std::max<Bytes>(p.work, 65536);
    } else
        p = splitFor(cls, h) == 0 ? blockPlan(cls, h) : splitPlan(cls, h);
    p.spec += up32(4 * (H / 4 + 1)) + 2 * up32(N / 4 * 8) + 128;
    p.scratch = order > 10 ? up32(4 * (N / 4 + 1)) + p.scratch + 32 : 0;
    p.work = p.work > 0 ? p.work + 32 : 0;
    return p;
}

class RealFftSizeQuery : public dsptest::EveryCpuClass {};

TEST_P(RealFftSizeQuery, GivesThePlannedSizesForEveryOrderAndFlag)
{
    const int cls = GetParam();
    for (int order = 0; order <= 30; ++order) {
        const Plan want = expectedPlan(cls, order);
        for (int flag : {dspFftScaleForward, dspFftScaleInverse, dspFftScaleSymmetric, dspFftScaleNone}) {
            SCOPED_TRACE(testing::Message() << "order " << order << " flag " << flag);
            int spec = -1, scratch = -1, work = -1;
            const int status = dspRealFftQuerySizes(order, flag, 1, &spec, &scratch, &work);
            if (want.spec > INT_MAX) {
                // The FFT record block would not fit 31 bits: refused, outputs untouched.
                EXPECT_EQ(status, dspErrNoMemory);
                EXPECT_EQ(spec, -1);
                EXPECT_EQ(scratch, -1);
                EXPECT_EQ(work, -1);
                continue;
            }
            ASSERT_EQ(status, dspOk);
            EXPECT_EQ(spec, want.spec);
            EXPECT_EQ(scratch, want.scratch);
            EXPECT_EQ(work, want.work);
        }
    }
}

TEST_P(RealFftSizeQuery, RefusesFromOrder28OnWhereTheSpecPasses2To31Bytes)
{
    int spec, scratch, work;
    EXPECT_EQ(dspRealFftQuerySizes(27, dspFftScaleNone, 1, &spec, &scratch, &work), dspOk);
    EXPECT_GT(spec, 1 << 30);
    for (int order : {28, 29, 30}) {
        EXPECT_EQ(dspRealFftQuerySizes(order, dspFftScaleNone, 1, &spec, &scratch, &work), dspErrNoMemory);
        dspRealFftSpec* out = nullptr;
        EXPECT_EQ(dspRealFftCreate(&out, order, dspFftScaleNone, 1), dspErrNoMemory);
        EXPECT_EQ(out, nullptr);
    }
}

TEST_P(RealFftSizeQuery, ChecksOrderThenOutputsThenFlag)
{
    int spec = 0, scratch = 0, work = 0;
    EXPECT_EQ(dspRealFftQuerySizes(31, 3, 1, nullptr, &scratch, &work), dspErrFftOrder);
    EXPECT_EQ(dspRealFftQuerySizes(-1, dspFftScaleNone, 1, &spec, &scratch, &work), dspErrFftOrder);
    EXPECT_EQ(dspRealFftQuerySizes(5, 3, 1, &spec, nullptr, &work), dspErrNullPointer);
    EXPECT_EQ(dspRealFftQuerySizes(5, 3, 1, &spec, &scratch, nullptr), dspErrNullPointer);
    EXPECT_EQ(dspRealFftQuerySizes(5, 0, 1, &spec, &scratch, &work), dspErrFftScaling);
    EXPECT_EQ(dspRealFftQuerySizes(5, 3, 1, &spec, &scratch, &work), dspErrFftScaling);
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(RealFftSizeQuery);

int workBytesOf(int cls, int order)
{
    dsptest::ForcedCpuClass forced(cls);
    int spec, scratch, work;
    EXPECT_EQ(dspRealFftQuerySizes(order, dspFftScaleNone, 1, &spec, &scratch, &work), dspOk);
    return work;
}

TEST(RealFftSizeQueryExamples, ReproduceTheWorkedSizes)
{
    dsptest::ForcedCpuClass generic(dspCpuGeneric);
    int spec, scratch, work;
    ASSERT_EQ(dspRealFftQuerySizes(3, dspFftScaleNone, 1, &spec, &scratch, &work), dspOk);
    EXPECT_EQ(spec, 116);
    ASSERT_EQ(dspRealFftQuerySizes(4, dspFftScaleNone, 1, &spec, &scratch, &work), dspOk);
    EXPECT_EQ(spec, 320);
    ASSERT_EQ(dspRealFftQuerySizes(10, dspFftScaleNone, 1, &spec, &scratch, &work), dspOk);
    EXPECT_EQ(spec, 8896);
    EXPECT_EQ(scratch, 0);
    ASSERT_EQ(dspRealFftQuerySizes(11, dspFftScaleNone, 1, &spec, &scratch, &work), dspOk);
    EXPECT_EQ(spec, 17600);
    EXPECT_EQ(scratch, 2112);

    EXPECT_EQ(workBytesOf(dspCpuGeneric, 13), 0);
    EXPECT_EQ(workBytesOf(dspCpuGeneric, 14), 1056);
    for (int cls = dspCpuSse; cls <= dspCpuSse41; ++cls)
        EXPECT_EQ(workBytesOf(cls, 10), 4128);
    EXPECT_EQ(workBytesOf(dspCpuSse41, 20), 262176);
}

struct LargeRow {
    int cls, h;
    Bytes spec, scratch, work;
};

TEST(RealFftLargePlanning, GivesTheTabulatedRows)
{
    const LargeRow rows[] = {
        {0, 11, 12320, 0, 0},         {0, 12, 16416, 0, 0},           {0, 13, 67904, 1088, 1024},
        {0, 16, 528448, 8480, 8192},  {0, 19, 4206656, 33824, 32768}, {0, 21, 16797760, 33824, 32768},
        {0, 23, 67376224, 12736, 8192}, {5, 18, 2228256, 0, 131072},  {5, 22, 33685536, 0, 262144},
    };
    for (const LargeRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "class " << row.cls << " h " << row.h);
        const dspFftSizes sizes = dspRealFftLargeSizes(row.cls, row.h);
        EXPECT_EQ(sizes.spec, row.spec);
        EXPECT_EQ(sizes.scratch, row.scratch);
        EXPECT_EQ(sizes.work, row.work);
    }
}

}  // namespace
