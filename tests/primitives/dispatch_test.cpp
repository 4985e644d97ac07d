#include <cstdint>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/entry_tables.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/fft_bodies.h"
#include "primitives/interleave/interleave_bodies.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/arithmetic.h"
#include "primitives/vector/vector_bodies.h"
#include "tests/support/cpu_class.h"
#include "tests/support/float_bits.h"

namespace {

namespace tables = dsp::entry_tables;

// Read during static initialisation, before any test can run detection: the
// class the library starts with.
const int classAtLoad = dspCpuClass.load();

TEST(Dispatch, TheClassIsGenericWhenTheLibraryIsLoaded) { EXPECT_EQ(classAtLoad, dspCpuGeneric); }

template <typename Fn>
std::vector<Fn*> bodiesOf(const dsp::BodyTable<Fn>& table)
{
    return std::vector<Fn*>(table, table + kCpuClassCount);
}

template <typename Fn>
std::size_t distinctBodies(const dsp::BodyTable<Fn>& table)
{
    return std::set<Fn*>(table, table + kCpuClassCount).size();
}

// Each class's own body, class by class.
#define EACH_CLASS(body)                                                                                     \
    (std::vector<decltype(&cls_generic::body)>{&cls_generic::body, &cls_sse::body, &cls_sse2::body,          \
                                               &cls_sse3::body, &cls_ssse3::body, &cls_sse41::body})

TEST(Dispatch, EveryEntryTableHoldsTheBodyOfEachClassInClassOrder)
{
    EXPECT_EQ(bodiesOf(tables::zero), EACH_CLASS(zero));
    EXPECT_EQ(bodiesOf(tables::copy), EACH_CLASS(copy));
    EXPECT_EQ(bodiesOf(tables::zeroBytes), EACH_CLASS(zeroBytes));
    EXPECT_EQ(bodiesOf(tables::copyBytes), EACH_CLASS(copyBytes));
    EXPECT_EQ(bodiesOf(tables::absInPlace), EACH_CLASS(absInPlace));
    EXPECT_EQ(bodiesOf(tables::mulConstInPlace), EACH_CLASS(mulConstInPlace));
    EXPECT_EQ(bodiesOf(tables::max), EACH_CLASS(max));
    EXPECT_EQ(bodiesOf(tables::min), EACH_CLASS(min));
    EXPECT_EQ(bodiesOf(tables::maxIndex), EACH_CLASS(maxIndex));
    EXPECT_EQ(bodiesOf(tables::mulSpectra), EACH_CLASS(mulSpectra));
    EXPECT_EQ(bodiesOf(tables::mulAccumulateSplitSpectra), EACH_CLASS(mulAccumulateSplitSpectra));
    EXPECT_EQ(bodiesOf(tables::realFftForward), EACH_CLASS(realFftForward));
    EXPECT_EQ(bodiesOf(tables::realFftInverse), EACH_CLASS(realFftInverse));
    EXPECT_EQ(bodiesOf(tables::realFftForwardNyquistLastInPlace), EACH_CLASS(realFftForwardNyquistLastInPlace));
    EXPECT_EQ(bodiesOf(tables::interleave), EACH_CLASS(interleave));
    EXPECT_EQ(bodiesOf(tables::deinterleave), EACH_CLASS(deinterleave));
}

TEST(Dispatch, SharedBodiesServeExactlyTheirClasses)
{
    using Add = int (*)(const float*, float*, int);
    const std::vector<Add> addition = {&cls_generic::addInPlace, &cls_sse::addInPlace, &cls_sse2::addInPlace,
                                       &cls_sse2::addInPlace,    &cls_ssse3::addInPlace, &cls_ssse3::addInPlace};
    EXPECT_EQ(bodiesOf(tables::addInPlace), addition);
    EXPECT_EQ(distinctBodies(tables::addInPlace), 4u);

    EXPECT_EQ(bodiesOf(tables::allocBytes), std::vector<void* (*)(int)>(kCpuClassCount, &cls_all::allocBytes));
    EXPECT_EQ(bodiesOf(tables::allocFloats), std::vector<float* (*)(int)>(kCpuClassCount, &cls_all::allocFloats));
    EXPECT_EQ(bodiesOf(tables::free), std::vector<void (*)(void*)>(kCpuClassCount, &cls_all::free));
    EXPECT_EQ(distinctBodies(tables::realFftFree), 1u);
    EXPECT_EQ(distinctBodies(tables::realFftBufferSize), 1u);

    // The record's builders lay each class's own tables.
    EXPECT_EQ(distinctBodies(tables::realFftQuerySizes), 6u);
    EXPECT_EQ(distinctBodies(tables::realFftInit), 6u);
    EXPECT_EQ(distinctBodies(tables::realFftCreate), 6u);
}

// The generic absolute value quiets a signalling NaN, the vector classes keep
// it: which body ran shows in the result.
TEST(Dispatch, AnEntryReadsTheClassOnEveryCall)
{
    const auto absOf = [](std::uint32_t bits) {
        float x = dsptest::floatOf(bits);
        EXPECT_EQ(dspAbsInPlace(&x, 1), dspOk);
        return dsptest::bitsOf(x);
    };
    constexpr std::uint32_t kNegativeSignallingNaN = 0xFFA00001u;
    const dsptest::ForcedCpuClass generic(dspCpuGeneric);
    EXPECT_EQ(absOf(kNegativeSignallingNaN), 0x7FE00001u);
    {
        const dsptest::ForcedCpuClass vector(dspCpuSse);
        EXPECT_EQ(absOf(kNegativeSignallingNaN), 0x7FA00001u);
    }
    EXPECT_EQ(absOf(kNegativeSignallingNaN), 0x7FE00001u);
}

}  // namespace
