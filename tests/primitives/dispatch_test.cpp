#include <gtest/gtest.h>

#include "primitives/dispatch/dispatch.h"
#include "tests/support/cpu_class.h"

namespace {

// A table whose bodies report which class ran them.
namespace cls_generic { int whoAmI(int tag) { return tag * 10 + 0; } }
namespace cls_sse { int whoAmI(int tag) { return tag * 10 + 1; } }
namespace cls_sse2 { int whoAmI(int tag) { return tag * 10 + 2; } }
namespace cls_sse3 { int whoAmI(int tag) { return tag * 10 + 3; } }
namespace cls_ssse3 { int whoAmI(int tag) { return tag * 10 + 4; } }
namespace cls_sse41 { int whoAmI(int tag) { return tag * 10 + 5; } }
const dsp::BodyTable<int(int)> whoAmIBodies = DSP_BODY_OF_EACH_CLASS(whoAmI);

int shared(int tag) { return -tag; }
const dsp::BodyTable<int(int)> sharedBodies = DSP_ONE_BODY_FOR_EVERY_CLASS(shared);

TEST(Dispatch, AnEntryRunsTheBodyOfTheClassInForceWithTheCallersArguments)
{
    for (int c = 0; c < kCpuClassCount; ++c) {
        dsptest::ForcedCpuClass forced(c);
        EXPECT_EQ(dsp::callBody(whoAmIBodies, 7), 70 + c) << "class " << c;
        EXPECT_EQ(dsp::callBody(sharedBodies, 7), -7) << "class " << c;
    }
}

TEST(Dispatch, TheClassIsReadOnEveryCallNotCached)
{
    dsptest::ForcedCpuClass first(dspCpuSse2);
    EXPECT_EQ(dsp::callBody(whoAmIBodies, 1), 12);
    dsptest::ForcedCpuClass second(dspCpuSse41);
    EXPECT_EQ(dsp::callBody(whoAmIBodies, 1), 15);
}

TEST(Dispatch, ThisProcessorRunsAtLeastTheBaselineClasses)
{
    // x86_64 guarantees SSE and SSE2, so the generic, SSE and SSE2 bodies always run here.
    const auto classes = dsptest::supportedClasses();
    ASSERT_GE(classes.size(), 3u);
    EXPECT_EQ(classes[0], dspCpuGeneric);
    EXPECT_EQ(classes[2], dspCpuSse2);
}

}  // namespace

namespace {
TEST(Dispatch, TheClassIsGenericUntilAProcessorIsDetected)
{
    EXPECT_EQ(dspCpuClass.load(), dspCpuGeneric);
}
}  // namespace
