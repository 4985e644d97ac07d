#include <cmath>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "primitives/dsp.h"
#include "tests/engine/convolution_fixture.h"
#include "tests/support/cpu_class.h"

namespace {

using namespace enginetest;

struct EngineCase {
    const char* name;
    EngineSettings settings;
    int inputs;
    int outputs;
    int irLength;     // samples per cell
    int hostBlock;    // B given to prepareToPlay
    int expectedFft;  // N the engine must choose
    int randomCalls;  // 0: every call is B long; else calls of 0 … randomCalls samples
};

class ConvolutionMatchesDirectReference : public testing::TestWithParam<EngineCase> {};

// Float FFTs of up to 8192 points summed over up to 16 partitions keep the
// error near 1e-6 of the largest output; 1e-5 leaves a factor of ten.
constexpr double kTolerance = 1e-5;

TEST_P(ConvolutionMatchesDirectReference, DelayedByHopMinusBlock)
{
    const EngineCase& c = GetParam();
    TestProcessor filter(c.inputs, c.outputs, c.settings);

    std::vector<Channels> irs(static_cast<std::size_t>(c.outputs));
    for (int o = 0; o < c.outputs; ++o)
        for (int i = 0; i < c.inputs; ++i)
            irs[o].push_back(decayingIr(static_cast<std::size_t>(c.irLength), 100u + 10u * o + i));
    filter->prepareToPlay(48000.0, c.hostBlock);
    ASSERT_EQ(filter->fftSize, c.expectedFft);
    filter.loadMatrix(irs);
    ASSERT_TRUE(filter->allCellsLoaded()) << testing::PrintToString(filter.warnings) << filter->loadedCells;

    const int hop = c.expectedFft / 2;
    const int delay = hop - c.hostBlock;
    const std::size_t length = static_cast<std::size_t>(c.irLength + 2 * c.expectedFft + 3 * c.hostBlock);
    Channels input;
    for (int i = 0; i < c.inputs; ++i)
        input.push_back(noise(length, 7u + i));

    std::mt19937 random(42);
    std::uniform_int_distribution<int> callLength(0, std::max(c.randomCalls, 1));
    const auto lengths = c.randomCalls > 0 ? std::function<int()>([&] { return callLength(random); })
                                           : fixedLength(c.hostBlock);
    const Channels output = process(*filter, input, lengths);

    const auto reference = referenceConvolution(input, irs, c.settings.workingMode == 2, length);
    EXPECT_LT(relativeError(output, reference, delay), kTolerance);
}

// A grid that visits every size class once rather than every combination.
const EngineCase kCases[] = {
    {"N256B32MonoOneByOneP8", {256, 1000, 0, 0}, 1, 1, 1000, 32, 256, 0},
    {"N1024B256MultiTwoByTwo", {1024, 0, 0, 1}, 2, 2, 3000, 256, 1024, 0},
    {"N8192BHalfMultiTwoByThree", {8192, 0, 0, 1}, 2, 3, 8192, 4096, 8192, 0},
    {"N2048B512OneToOneP16", {2048, 0, 0, 2}, 3, 3, 16 * 1024, 512, 2048, 0},
    {"N512B64MonoThreeByTwoP1", {512, 256, 0, 0}, 3, 2, 200, 64, 512, 0},
    {"ZeroLatencyB512", {1024, 0, 1, 1}, 2, 2, 2500, 512, 1024, 0},
    {"ZeroLatencyBlockNotAPowerOfTwo", {1024, 1500, 1, 0}, 1, 2, 1500, 300, 1024, 0},
    {"BlockAboveTheHop", {256, 0, 0, 1}, 1, 1, 1800, 512, 1024, 0},
    {"SettingsWithoutFftSize", {0, 0, 0, 1}, 2, 1, 700, 128, 1024, 0},
    {"FftSizeNotAPowerOfTwo", {1000, 0, 0, 2}, 2, 2, 900, 64, 1024, 0},
    {"RandomCallLengthsMulti", {1024, 0, 0, 1}, 2, 2, 3000, 256, 1024, 700},
    {"RandomShortCallsZeroLatency", {256, 0, 1, 2}, 2, 2, 1000, 128, 256, 50},
    {"RandomCallsAroundTheBlock", {4096, 6000, 0, 0}, 1, 1, 6000, 1024, 4096, 1500},
};

INSTANTIATE_TEST_SUITE_P(, ConvolutionMatchesDirectReference, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<EngineCase>& info) { return std::string(info.param.name); });

}  // namespace
