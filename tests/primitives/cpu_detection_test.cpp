#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_detection.h"
#include "primitives/dispatch/cpu_identity.h"
#include "primitives/dispatch/cpu_info.h"
#include "primitives/dispatch/dispatch.h"
#include "primitives/dispatch/status.h"
#include "primitives/dispatch/largest_cache.h"
#include "tests/support/cpu_class.h"

namespace {

// A processor described leaf by leaf; unlisted leaves answer zeros.
struct FakeProcessor {
    bool hasCpuid = true;
    std::map<std::uint32_t, std::array<std::uint32_t, 4>> leaves;
    std::vector<std::uint32_t> queried;
};
FakeProcessor* fake = nullptr;

int fakeHasCpuid() { return fake->hasCpuid ? 1 : 0; }
void fakeCpuid(std::uint32_t regs[4], std::uint32_t leaf, std::uint32_t)
{
    fake->queried.push_back(leaf);
    const auto it = fake->leaves.find(leaf);
    for (int i = 0; i < 4; ++i)
        regs[i] = it == fake->leaves.end() ? 0 : it->second[i];
}

enum Feature : std::uint32_t {
    // leaf-1 edx
    kSse = 1u << 25, kSse2 = 1u << 26, kHyperThreading = 1u << 28, kIa64 = 1u << 30,
};
enum Feature2 : std::uint32_t {
    // leaf-1 ecx
    kSse3 = 1u << 0, kSsse3 = 1u << 9, kSse41 = 1u << 19, kSse42 = 1u << 20,
};

struct Description {
    bool intel = true;
    std::uint32_t family = 6, model = 0, extendedModel = 0, extendedFamily = 0;
    std::uint32_t edx = kSse | kSse2;
    std::uint32_t ecx = 0;
    std::uint32_t logicalProcessors = 1;
    std::uint32_t maxBasicLeaf = 4;
    std::uint32_t cores = 1;
    std::uint32_t maxExtendedLeaf = 0x80000001u;
    bool is64Bit = true;
};

class CpuDetection : public testing::Test {
protected:
    void SetUp() override
    {
        fake = &processor;
        savedSource = dspCpuIdentity;
        dspCpuIdentity = {fakeHasCpuid, fakeCpuid};
        savedClass = dspCpuClass.load();
    }
    void TearDown() override
    {
        dspCpuIdentity = savedSource;
        dspCpuClass.store(savedClass);
        fake = nullptr;
        dspSetLargestCacheSize(kCacheSizeUnread);  // detection asked the fake processor for its cache
    }

    void describe(const Description& d)
    {
        processor.leaves.clear();
        const std::uint32_t vendor[3] = {d.intel ? 0x756E6547u : 0x68747541u,   // "Genu" / "Auth"
                                         d.intel ? 0x6C65746Eu : 0x444D4163u,   // "ntel" / "cAMD"
                                         d.intel ? 0x49656E69u : 0x69746E65u};  // "ineI" / "enti"
        processor.leaves[0] = {d.maxBasicLeaf, vendor[0], vendor[1], vendor[2]};
        const std::uint32_t eax = (d.model & 0xF) << 4 | (d.family & 0xF) << 8 | (d.extendedModel & 0xF) << 16 |
                                  (d.extendedFamily & 0xFF) << 20;
        processor.leaves[1] = {eax, d.logicalProcessors << 16, d.ecx, d.edx};
        processor.leaves[4] = {(d.cores - 1) << 26, 0, 0, 0};
        processor.leaves[0x80000000u] = {d.maxExtendedLeaf, 0, 0, 0};
        processor.leaves[0x80000001u] = {0, 0, 0, d.is64Bit ? 1u << 29 : 0u};
    }

    // The type code, the class stored and the status of one detection.
    std::tuple<int, int, int> detect()
    {
        const int type = dspDetectCpuType();
        dspCpuClass.store(-1);
        const int status = dspInitCpuDispatch();
        return {type, dspCpuClass.load(), status};
    }

    FakeProcessor processor;
    dspCpuIdentitySource savedSource{};
    int savedClass = 0;
};

TEST_F(CpuDetection, WithoutCpuidTheClassIsGenericAndTheProcessorUnidentified)
{
    processor.hasCpuid = false;
    EXPECT_EQ(detect(), std::make_tuple(0x00, dspCpuGeneric, +dspWarnCpuNotIdentified));
    EXPECT_TRUE(processor.queried.empty());
}

TEST_F(CpuDetection, AnotherVendorGetsTheFeatureFallbackAndAWarning)
{
    Description d;
    d.intel = false;
    d.ecx = kSse3;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x42, dspCpuSse3, +dspWarnCpuNotIdentified));
    d.ecx = 0;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x41, dspCpuSse2, +dspWarnCpuNotIdentified));
}

TEST_F(CpuDetection, TheFallbackTakesTheHighestFeatureFirst)
{
    Description d;
    d.intel = false;
    const std::pair<std::uint32_t, int> steps[] = {{kSse42 | kSse41 | kSse3, 0x45}, {kSse41 | kSsse3, 0x44},
                                                   {kSsse3 | kSse3, 0x43}};
    for (const auto& [ecx, code] : steps) {
        d.ecx = ecx;
        describe(d);
        EXPECT_EQ(std::get<0>(detect()), code);
    }
    d.ecx = 0;
    d.edx = kSse;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x40, dspCpuSse, +dspWarnCpuNotIdentified));
    d.edx = 0;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x60, dspCpuGeneric, +dspWarnCpuNotIdentified));
    d.is64Bit = false;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x00, dspCpuGeneric, +dspWarnCpuNotIdentified));
}

TEST_F(CpuDetection, ExtendedModelSevenOnFamilySixIsModel0x17)
{
    Description d;
    d.model = 7;
    d.extendedModel = 1;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x44, dspCpuSse41, +dspOk));
}

TEST_F(CpuDetection, Model0x0FCountsCoresFromLeafFour)
{
    Description d;
    d.model = 0x0F;
    d.cores = 2;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x21, dspCpuSsse3, +dspOk));
    d.cores = 4;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x22, dspCpuSsse3, +dspOk));
    d.maxBasicLeaf = 3;  // leaf 4 unavailable: one core
    describe(d);
    EXPECT_EQ(std::get<0>(detect()), 0x21);
}

TEST_F(CpuDetection, Model0x0EDistinguishesOneCoreFromTwo)
{
    Description d;
    d.model = 0x0E;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x0A, dspCpuSse3, +dspOk));
    d.cores = 2;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x0B, dspCpuSse3, +dspOk));
}

TEST_F(CpuDetection, UnlistedFamilySixModelsFallBackOnFeatures)
{
    Description d;
    d.ecx = kSse3 | kSsse3;
    for (auto [model, extended] : {std::pair{0x0Cu, 0u}, {0x0Bu, 1u}, {0x0Du, 1u}, {0x0Au, 3u}}) {
        d.model = model;
        d.extendedModel = extended;
        describe(d);
        EXPECT_EQ(detect(), std::make_tuple(0x43, dspCpuSsse3, +dspOk)) << model << " " << extended;
    }
}

TEST_F(CpuDetection, EveryListedFamilySixModelHasItsCode)
{
    const std::pair<std::uint32_t, int> table[] = {
        {0x01, 0x03}, {0x03, 0x04}, {0x05, 0x04}, {0x06, 0x04}, {0x07, 0x05}, {0x08, 0x05}, {0x0A, 0x05},
        {0x0B, 0x05}, {0x09, 0x09}, {0x0D, 0x09}, {0x17, 0x44}, {0x1A, 0x23}, {0x1C, 0x24}};
    const int expectedClass[] = {0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 5, 5, 4};
    for (std::size_t i = 0; i < std::size(table); ++i) {
        Description d;
        d.model = table[i].first & 0xF;
        d.extendedModel = table[i].first >> 4;
        describe(d);
        EXPECT_EQ(detect(), std::make_tuple(table[i].second, expectedClass[i], +dspOk)) << table[i].first;
    }
}

TEST_F(CpuDetection, FamilyFifteenWithAnExtendedFamilyFallsBackOnFeatures)
{
    Description d;
    d.family = 15;
    d.extendedFamily = 1;
    d.ecx = kSse3;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x42, dspCpuSse3, +dspOk));
}

TEST_F(CpuDetection, FamilyFifteenDecidesBySse3SixtyFourBitAndThreads)
{
    Description d;
    d.family = 15;
    d.ecx = kSse3;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x20, dspCpuSse3, +dspOk));
    d.is64Bit = false;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x08, dspCpuSse3, +dspOk));
    d.ecx = 0;
    d.edx |= kHyperThreading;  // the flag without a second logical processor is not multi-threading
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x06, dspCpuSse2, +dspOk));
    d.logicalProcessors = 2;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x07, dspCpuSse2, +dspOk));
}

TEST_F(CpuDetection, FamilyFiveModels)
{
    Description d;
    d.family = 5;
    for (auto [model, code] : {std::pair{1u, 0x01}, {2u, 0x01}, {4u, 0x02}, {3u, 0x41}}) {
        d.model = model;
        describe(d);
        EXPECT_EQ(std::get<0>(detect()), code) << model;
    }
}

TEST_F(CpuDetection, ExactlyTheBaseExtendedLeafMeansNoSixtyFourBitFlag)
{
    Description d;
    d.intel = false;
    d.edx = 0;
    d.maxExtendedLeaf = 0x80000000u;
    describe(d);
    EXPECT_EQ(std::get<0>(detect()), 0x00);
    for (std::uint32_t leaf : processor.queried)
        EXPECT_NE(leaf, 0x80000001u);
}

TEST_F(CpuDetection, DetectionCountsAnyAnswerBelowBit31AsListingTheSixtyFourBitLeaf)
{
    Description d;
    d.intel = false;
    d.edx = 0;
    d.maxExtendedLeaf = 0x00000004u;  // a processor that answers unknown leaves with basic-leaf data
    describe(d);
    EXPECT_EQ(std::get<0>(detect()), 0x60);
}

TEST_F(CpuDetection, TheInfoRecordQueriesTheSixtyFourBitLeafOnlyWhenTheHighestExtendedLeafReachesIt)
{
    Description d;
    const std::pair<std::uint32_t, bool> answers[] = {
        {0x80000001u, true}, {0x80000008u, true}, {0x80000000u, false}, {0x00000004u, false}, {0u, false}};
    for (const auto& [highest, listed] : answers) {
        SCOPED_TRACE(testing::Message() << std::hex << "highest extended leaf 0x" << highest);
        d.maxExtendedLeaf = highest;
        describe(d);
        const auto queriedTheLeaf = [this] {
            const bool queried = std::count(processor.queried.begin(), processor.queried.end(), 0x80000001u) > 0;
            processor.queried.clear();
            return queried;
        };
        processor.queried.clear();
        dspCpuInfo info{};
        dspGetCpuInfo(&info);
        EXPECT_EQ(info.is64Bit, listed ? 1 : 0);
        EXPECT_EQ(queriedTheLeaf(), listed);
        EXPECT_EQ(dspCpuIs64Bit(), listed ? 1 : 0);
        EXPECT_EQ(queriedTheLeaf(), listed);
    }
}

TEST_F(CpuDetection, TheIa64FlagDecidesBeforeEverythingElse)
{
    Description d;
    d.edx |= kIa64;
    d.ecx = kSse41 | kSse42;
    d.family = 7;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x10, dspCpuSse, +dspOk));
    d.family = 6;
    d.model = 0x1A;
    describe(d);
    EXPECT_EQ(detect(), std::make_tuple(0x11, dspCpuSse, +dspOk));
}

TEST_F(CpuDetection, UnlistedCodesMapToTheGenericClass)
{
    for (int code : {0x00, 0x01, 0x02, 0x03, 0x04, 0x0C, 0x12, 0x25, 0x46, 0x60, 0x7F, -1})
        EXPECT_EQ(dspCpuClassOfType(code), dspCpuGeneric) << code;
}

TEST_F(CpuDetection, TheCacheDescriptorLookupSkipsInvalidRegistersAndTheQueryCount)
{
    processor.leaves[2] = {0x00000001u | 0x2C00u, 0x80000049u, 0x00000000u, 0x0000007Du};
    const std::uint32_t table[] = {0x49, 4096, 0x01, 77, 0x7D, 2048, 0x2C, 32, 0, 0};
    // 0x49 sits in a register marked invalid, 0x01 is eax's query count: 0x7D matches first.
    EXPECT_EQ(dspLookupCacheDescriptor(table), 2048);
    const std::uint32_t none[] = {0x49, 1, 0x22, 2, 0, 0};
    EXPECT_EQ(dspLookupCacheDescriptor(none), -1);
    processor.leaves[2][0] = 0x7D02u;  // two queries needed
    EXPECT_EQ(dspLookupCacheDescriptor(table), -1);
}

TEST_F(CpuDetection, TheInfoRecordHoldsRawFieldsAndFlags)
{
    Description d;
    d.family = 15;
    d.extendedFamily = 2;
    d.model = 3;
    d.extendedModel = 4;
    d.ecx = kSse3 | kSse41;
    d.cores = 8;
    describe(d);
    processor.leaves[2] = {0x11223301u, 0, 0, 0x44556677u};
    dspCpuInfo info{};
    info.unused = 12345;
    dspGetCpuInfo(&info);
    EXPECT_EQ(info.family, 15);
    EXPECT_EQ(info.model, 3);
    EXPECT_EQ(info.extendedFamily, 2);
    EXPECT_EQ(info.extendedModel, 4);
    EXPECT_EQ(info.sse3, 1);
    EXPECT_EQ(info.ssse3, 0);
    EXPECT_EQ(info.sse41, 1);
    EXPECT_EQ(info.sse2, 1);
    EXPECT_EQ(info.cores, 8);
    EXPECT_EQ(info.is64Bit, 1);
    EXPECT_EQ(info.cacheLeafEax, 0x11223301);
    EXPECT_EQ(info.cacheLeafEdx, 0x44556677);
    EXPECT_EQ(info.unused, 12345);
}

// This processor's own answers, with the vendor of leaf 0 replaced by the one
// a test presents: the real identification through both of detection's roads.
const std::uint32_t* presentedVendor = nullptr;  // ebx, edx, ecx

void thisProcessorAsPresented(std::uint32_t regs[4], std::uint32_t leaf, std::uint32_t subLeaf)
{
    dspProcessorIdentity.cpuid(regs, leaf, subLeaf);
    if (leaf == 0 && presentedVendor != nullptr) {
        regs[1] = presentedVendor[0];
        regs[3] = presentedVendor[1];
        regs[2] = presentedVendor[2];
    }
}

struct Presentation {
    const char* name;
    const std::uint32_t* vendor;  // null: the processor's own
};

const std::uint32_t kIntel[3] = {0x756E6547u, 0x49656E69u, 0x6C65746Eu};    // "Genu" "ineI" "ntel"
const std::uint32_t kAnother[3] = {0x68747541u, 0x69746E65u, 0x444D4163u};  // "Auth" "enti" "cAMD"

class CpuDetectionOnThisProcessor : public testing::TestWithParam<Presentation> {
protected:
    void SetUp() override
    {
        savedSource = dspCpuIdentity;
        savedClass = dspCpuClass.load();
        presentedVendor = GetParam().vendor;
        dspCpuIdentity = {dspProcessorIdentity.hasIdentificationFlag, thisProcessorAsPresented};
    }
    void TearDown() override
    {
        dspCpuIdentity = savedSource;
        dspCpuClass.store(savedClass);
        presentedVendor = nullptr;
        dspSetLargestCacheSize(kCacheSizeUnread);  // the presented vendor may have hidden the real cache
    }

    dspCpuIdentitySource savedSource{};
    int savedClass = 0;
};

// Processors of the last fifteen years are in no row of detection's model
// table, so either vendor takes the feature fallback: the class of the highest
// instruction set the processor reports, which is the highest it runs.
TEST_P(CpuDetectionOnThisProcessor, ItRunsItsHighestClassAndOnlyIntelCountsAsIdentified)
{
    std::uint32_t leaf1[4];
    dspProcessorIdentity.cpuid(leaf1, 1, 0);
    const std::uint32_t family = leaf1[0] >> 8 & 0xF, extendedFamily = leaf1[0] >> 20 & 0xFF;
    const std::uint32_t model = (leaf1[0] >> 4 & 0xF) | (leaf1[0] >> 16 & 0xF) << 4;
    if (family == 5 || (family == 6 && model <= 0x1C) || (family == 15 && extendedFamily == 0))
        GTEST_SKIP() << "a processor listed in detection's model table";
    const bool sse42 = (leaf1[2] >> 20 & 1) != 0;

    std::uint32_t leaf0[4];
    thisProcessorAsPresented(leaf0, 0, 0);
    const bool intel = leaf0[1] == kIntel[0] && leaf0[3] == kIntel[1] && leaf0[2] == kIntel[2];
    const int highest = dsptest::supportedClasses().back();

    dspCpuClass.store(-1);
    EXPECT_EQ(dspInitCpuDispatch(), intel ? dspOk : dspWarnCpuNotIdentified);
    EXPECT_EQ(dspCpuClass.load(), highest);
    if (sse42) {
        EXPECT_EQ(dspDetectCpuType(), dspCpuTypeFallbackSse42);
    }
    // Every later construction stores the same class.
    dspInitCpuDispatch();
    EXPECT_EQ(dspCpuClass.load(), highest);
}

INSTANTIATE_TEST_SUITE_P(, CpuDetectionOnThisProcessor,
                         testing::Values(Presentation{"AsItself", nullptr}, Presentation{"AsIntel", kIntel},
                                         Presentation{"AsAnotherVendor", kAnother}),
                         [](const testing::TestParamInfo<Presentation>& info) { return info.param.name; });

}  // namespace
