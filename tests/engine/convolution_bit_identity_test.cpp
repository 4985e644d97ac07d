#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tests/engine/convolution_fixture.h"
#include "tests/engine/plain_convolution.h"
#include "tests/support/cpu_class.h"
#include "tests/support/float_bits.h"

namespace {

using namespace enginetest;

enum class Mode {
    Mono = 0,
    Multi = 1,
    OneToOne = 2
};

struct IdentityCase {
    const char* name;
    int inputs;
    int outputs;
    Mode mode;
    int fftSize;  // the settings' FFT size
    int zeroLatency;
    int hostBlock;    // B given to prepareToPlay
    int irLength;     // samples per cell
    int randomCalls;  // 0: every call is B long; else calls of 0 … randomCalls samples
    double gainDb;
};

struct IdentityParam {
    int cpuClass;
    IdentityCase shape;
};

class EngineMatchesThePlainAlgorithm : public testing::TestWithParam<IdentityParam> {};

TEST_P(EngineMatchesThePlainAlgorithm, BitForBit)
{
    const IdentityCase& c = GetParam().shape;
    TestProcessor filter(c.inputs, c.outputs, {c.fftSize, c.irLength, c.zeroLatency, static_cast<int>(c.mode)});
    // The processor detects the class as it is built; the FFT spec takes the one in force at prepare.
    const dsptest::ForcedCpuClass forced(GetParam().cpuClass);
    filter->wetGain.setDb(c.gainDb);
    filter->prepareToPlay(48000.0, c.hostBlock);

    const bool oneToOne = c.mode == Mode::OneToOne;
    std::vector<Channels> irs(static_cast<std::size_t>(c.outputs));
    for (int o = 0; o < c.outputs; ++o)
        for (int i = 0; i < (oneToOne ? 1 : c.inputs); ++i)
            irs[o].push_back(decayingIr(static_cast<std::size_t>(c.irLength), 1000u + 50u * o + i));
    filter.loadMatrix(irs);
    ASSERT_TRUE(filter->allCellsLoaded()) << testing::PrintToString(filter.warnings);

    const std::size_t length = static_cast<std::size_t>(c.irLength + 2 * filter->fftSize + 5 * c.hostBlock + 37);
    Channels input;
    for (int i = 0; i < c.inputs; ++i)
        input.push_back(noise(length, 70u + i));
    auto callLengths = [&c](unsigned seed) {
        auto random = std::make_shared<std::mt19937>(seed);
        std::uniform_int_distribution<int> length(0, std::max(c.randomCalls, 1));
        return c.randomCalls > 0 ? std::function<int()>([random, length]() mutable { return length(*random); })
                                 : fixedLength(c.hostBlock);
    };

    PlainConvolution plain(filter->fftSize, c.hostBlock, irs, oneToOne, filter->irSize);
    const Channels expected = plain.process(input, callLengths(9), static_cast<float>(filter->wetGain.getRawValue()));
    const Channels output = process(*filter, input, callLengths(9));
    for (int o = 0; o < c.outputs; ++o)
        ASSERT_EQ(dsptest::bitsOf(output[o]), dsptest::bitsOf(expected[o])) << "output " << o;
}

// Shapes 1 × 1 to 8 × 8 and one 32 × 32, N 256 to 8192, blocks that divide
// the hop, odd ones, ones above the hop, zero latency, calls of any length, an
// IR long enough that its spectra lie in several chunks of bins, and one whose
// inputs' histories are summed in blocks of inputs.
const IdentityCase kShapes[] = {
    {"OneByOneN256B64", 1, 1, Mode::Mono, 256, 0, 64, 1000, 0, 0.0},
    {"TwoByTwoN1024B256", 2, 2, Mode::Multi, 1024, 0, 256, 3000, 0, -6.0},
    {"TwoByTwoN8192B512", 2, 2, Mode::Multi, 8192, 0, 512, 20000, 0, 0.0},
    {"ThreeByTwoN512OddBlock", 3, 2, Mode::Multi, 512, 0, 17, 1500, 0, 3.0},
    {"TwoByThreeN4096B4096", 2, 3, Mode::Multi, 4096, 0, 4096, 9000, 0, 0.0},
    {"FourByFourN2048B300", 4, 4, Mode::Multi, 2048, 0, 300, 5000, 0, 0.0},
    {"EightByEightN1024B128", 8, 8, Mode::Multi, 1024, 0, 128, 2500, 0, 0.0},
    {"EightByEightN256RandomCalls", 8, 8, Mode::Multi, 256, 0, 64, 700, 300, 0.0},
    {"OneToOneThreeN2048B512", 3, 3, Mode::OneToOne, 2048, 0, 512, 6000, 0, 0.0},
    {"ZeroLatencyB512", 2, 2, Mode::Multi, 1024, 1, 512, 2500, 0, 0.0},
    {"ZeroLatencyOddBlock", 1, 2, Mode::Multi, 1024, 1, 441, 1800, 0, -20.0},
    {"ZeroLatencyRandomCalls", 2, 2, Mode::OneToOne, 256, 1, 128, 1000, 200, 0.0},
    {"ZeroLatencyBlockOfOneN2", 1, 2, Mode::Multi, 256, 1, 1, 40, 0, 0.0},
    {"ZeroLatencyBlockOfTwoN4", 2, 1, Mode::Multi, 256, 1, 2, 30, 3, 0.0},
    {"ZeroLatencyBlockOfFourN8", 2, 2, Mode::Multi, 256, 1, 4, 50, 0, 0.0},
    {"RandomCallsAroundTheBlockN4096", 1, 1, Mode::Mono, 4096, 0, 1024, 6000, 1500, 0.0},
    {"ThirtyTwoByThirtyTwoN1024B256", 32, 32, Mode::Multi, 1024, 0, 256, 1500, 0, 0.0},
    {"LongIrInChunksN512B128", 2, 2, Mode::Multi, 512, 0, 128, 100000, 0, 0.0},
    {"HistoriesInInputBlocksN256B64", 3, 1, Mode::Multi, 256, 0, 64, 100000, 0, 0.0},
};

std::vector<IdentityParam> everyClassAndShape()
{
    std::vector<IdentityParam> params;
    for (const int cpuClass : dsptest::supportedClasses())
        for (const IdentityCase& shape : kShapes)
            params.push_back({cpuClass, shape});
    return params;
}

INSTANTIATE_TEST_SUITE_P(, EngineMatchesThePlainAlgorithm, testing::ValuesIn(everyClassAndShape()),
                         [](const testing::TestParamInfo<IdentityParam>& info) {
                             return dsptest::className(info.param.cpuClass) + "_" + info.param.shape.name;
                         });

}  // namespace
