// The adapter's audio path: when the processor runs, what it is given, and how
// its results reach the host's buffers whatever the host's pointers are.
#include <cmath>
#include <cstdint>
#include <pthread.h>
#include <sched.h>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "tests/host/adapter_fixture.h"

namespace {

constexpr float kRate = 48000.0f;
constexpr int32_t kBlock = 64;

float inputSample(int input, int64_t frame)
{
    return 0.5f * std::sin(0.01f * static_cast<float>(frame + 1) * static_cast<float>(input + 1)) +
           0.1f * static_cast<float>(input + 1);
}

// The probe's mix of the signals above; an input the host left out is silence.
float expectedOutput(int output, int inputs, int64_t frame, const std::vector<bool>& inputGiven)
{
    float sum = 0.0f;
    for (int i = 0; i < inputs; ++i)
        if (inputGiven[static_cast<std::size_t>(i)])
            sum += ProbeProcessor::mixGain(output, i) * inputSample(i, frame);
    return sum;
}

bool allZero(const std::vector<float>& samples)
{
    for (float s : samples)
        if (s != 0.0f)
            return false;
    return true;
}

TEST_F(AdapterTest, BlocksBeforeAnyResumeAndAfterASuspendAreSilentAndTheProcessorDoesNotRun)
{
    ASSERT_TRUE(makeEffect(2, 2));
    Channels in(2, kBlock), out(2, kBlock);
    in.samples[0].assign(kBlock, 1.0f);
    out.samples[1].assign(kBlock, 3.0f);
    host.process(in.data(), out.data(), kBlock);
    EXPECT_TRUE(allZero(out.samples[0]) && allZero(out.samples[1]));
    EXPECT_EQ(probe->prepares, 0);
    EXPECT_EQ(probe->blocks, 0);

    host.resume(kRate, kBlock);
    host.process(in.data(), out.data(), kBlock);
    EXPECT_EQ(probe->blocks, 1);

    host.suspend();
    EXPECT_EQ(probe->releases, 1);
    out.samples[0].assign(kBlock, 3.0f);
    host.process(in.data(), out.data(), kBlock);
    EXPECT_TRUE(allZero(out.samples[0]) && allZero(out.samples[1]));
    EXPECT_EQ(probe->blocks, 1);
}

TEST_F(AdapterTest, ResumePreparesTheProcessorAtTheHostsRateAndBlockSizeOr44100WithoutARate)
{
    ASSERT_TRUE(makeEffect(2, 3));
    probe->latencyToReport = 77;
    host.resume(96000.0f, 300);
    EXPECT_EQ(probe->prepares, 1);
    EXPECT_EQ(probe->preparedRate, 96000.0);
    EXPECT_EQ(probe->preparedBlock, 300);
    EXPECT_EQ(probe->getTotalNumInputChannels(), 2);
    EXPECT_EQ(probe->getTotalNumOutputChannels(), 3);
    // The record's delay follows the processor's latency at every resume.
    EXPECT_EQ(host.effect->initialDelay, 77);

    host.suspend();
    host.resume(0.0f, 128);
    EXPECT_EQ(probe->preparedRate, 44100.0);
    EXPECT_EQ(probe->preparedBlock, 128);
}

TEST_F(AdapterTest, ASuspendedProcessorGivesSilenceWithoutRunning)
{
    ASSERT_TRUE(makeEffect(2, 2));
    host.resume(kRate, kBlock);
    Channels in(2, kBlock), out(2, kBlock);
    in.samples[1].assign(kBlock, 1.0f);
    out.samples[0].assign(kBlock, 5.0f);
    probe->suspendProcessing(true);
    host.process(in.data(), out.data(), kBlock);
    EXPECT_TRUE(allZero(out.samples[0]) && allZero(out.samples[1]));
    EXPECT_EQ(probe->blocks, 0);
    probe->suspendProcessing(false);
    host.process(in.data(), out.data(), kBlock);
    EXPECT_EQ(probe->blocks, 1);
    EXPECT_FALSE(allZero(out.samples[0]));
}

// A host may announce a block size of up to 2^31 − 1 frames; the adapter
// prepares the processor for at most 65536 (no gigabytes of buffers at
// resume) and hands it longer blocks in pieces.
TEST_F(AdapterTest, AHugeAnnouncedBlockSizePreparesFor65536FramesAndLongerBlocksRunInPieces)
{
    constexpr int32_t kCap = 1 << 16;
    for (const int32_t announced : {int32_t{1} << 28, INT32_MAX}) {
        ASSERT_TRUE(makeEffect(2, 2));
        host.resume(kRate, announced);
        const int32_t prepared = kCap;
        EXPECT_EQ(probe->preparedBlock, prepared) << announced;

        const int32_t frames = 2 * kCap + 7;
        Channels in(2, frames), out(2, frames);
        for (int i = 0; i < 2; ++i)
            for (int32_t t = 0; t < frames; ++t)
                in.samples[static_cast<std::size_t>(i)][static_cast<std::size_t>(t)] = inputSample(i, t);
        host.process(in.data(), out.data(), frames);
        EXPECT_EQ(probe->largestBlock, prepared) << announced;
        EXPECT_EQ(probe->blocks, (frames + prepared - 1) / prepared) << announced;
        for (int o = 0; o < 2; ++o)
            for (int32_t t = 0; t < frames; ++t)
                // A sum of two products of values below 5 in float: a few ulps of 10.
                ASSERT_NEAR(out.samples[static_cast<std::size_t>(o)][static_cast<std::size_t>(t)],
                            expectedOutput(o, 2, t, {true, true}), 2e-5)
                    << announced << ", output " << o << ", frame " << t;
        host.close();
    }
}

// Where the host's channel pointers lead: an index into a pool of buffers, or
// -1 for a null pointer. A pool buffer that is an input carries that input.
struct Layout {
    std::string name;
    int inputs;
    int outputs;
    std::vector<int> inputBuffers;
    std::vector<int> outputBuffers;
};

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

class AdapterLayoutTest : public AdapterTest, public ::testing::WithParamInterface<Layout> {};

TEST_P(AdapterLayoutTest, EveryOutputGetsTheProcessorsResultWhateverBuffersTheHostGives)
{
    const Layout& layout = GetParam();
    ASSERT_TRUE(makeEffect(layout.inputs, layout.outputs));
    host.resume(kRate, kBlock);

    // Blocks of the announced size, a longer one (processed in pieces) and a shorter one.
    const std::vector<int32_t> blockFrames = {kBlock, kBlock, 5 * kBlock / 2, kBlock / 4, kBlock};
    int32_t longest = 0;
    for (int32_t frames : blockFrames)
        longest = std::max(longest, frames);
    Channels pool(8, longest);
    std::vector<bool> inputGiven;
    for (int b : layout.inputBuffers)
        inputGiven.push_back(b >= 0);

    int64_t start = 0;
    for (int32_t frames : blockFrames) {
        std::vector<float*> inputs, outputs;
        for (int i = 0; i < layout.inputs; ++i) {
            const int b = layout.inputBuffers[static_cast<std::size_t>(i)];
            inputs.push_back(b >= 0 ? pool.pointers[static_cast<std::size_t>(b)] : nullptr);
            if (b >= 0)
                for (int32_t t = 0; t < frames; ++t)
                    pool.samples[static_cast<std::size_t>(b)][static_cast<std::size_t>(t)] = inputSample(i, start + t);
        }
        for (int o = 0; o < layout.outputs; ++o) {
            const int b = layout.outputBuffers[static_cast<std::size_t>(o)];
            outputs.push_back(b >= 0 ? pool.pointers[static_cast<std::size_t>(b)] : nullptr);
        }
        host.process(inputs.data(), outputs.data(), frames);

        for (int o = 0; o < layout.outputs; ++o) {
            const int b = layout.outputBuffers[static_cast<std::size_t>(o)];
            // A buffer shared by outputs carries the first of them.
            bool earlierShares = false;
            for (int p = 0; p < o; ++p)
                earlierShares = earlierShares || layout.outputBuffers[static_cast<std::size_t>(p)] == b;
            if (b < 0 || earlierShares)
                continue;
            for (int32_t t = 0; t < frames; ++t) {
                // A sum of a few products of values below 5 in float: a few ulps of 10.
                ASSERT_NEAR(pool.samples[static_cast<std::size_t>(b)][static_cast<std::size_t>(t)],
                            expectedOutput(o, layout.inputs, start + t, inputGiven), 2e-5)
                    << "output " << o << ", frame " << start + t;
            }
        }
        start += frames;
    }
    EXPECT_LE(probe->largestBlock, kBlock);
    EXPECT_EQ(probe->lastBlockChannels, std::max(layout.inputs, layout.outputs));
}

INSTANTIATE_TEST_SUITE_P(HostBuffers, AdapterLayoutTest,
                         ::testing::Values(Layout{"Separate", 2, 2, {0, 1}, {2, 3}},
                                           Layout{"InPlace", 2, 2, {0, 1}, {0, 1}},
                                           Layout{"OutputsOnTheOtherInputs", 2, 2, {0, 1}, {1, 0}},
                                           Layout{"OneOutputOnTheOtherInput", 2, 2, {0, 1}, {1, 2}},
                                           Layout{"TwoOutputsShareABuffer", 2, 2, {0, 1}, {2, 2}},
                                           Layout{"NullInput", 2, 2, {0, -1}, {2, 3}},
                                           Layout{"NullOutput", 2, 2, {0, 1}, {-1, 3}},
                                           Layout{"MoreInputsAnOutputOnAnExtraInput", 3, 2, {0, 1, 2}, {2, 3}},
                                           Layout{"MoreInputsInPlace", 3, 1, {0, 1, 2}, {0}},
                                           Layout{"MoreOutputsOneOnTheInput", 1, 3, {0}, {1, 2, 0}},
                                           Layout{"MoreOutputsSeparate", 1, 3, {0}, {1, 2, 3}}),
                         [](const ::testing::TestParamInfo<Layout>& info) { return info.param.name; });

TEST_F(AdapterTest, AnExtraInputIsNeverWrittenByTheProcessor)
{
    ASSERT_TRUE(makeEffect(3, 1));
    host.resume(kRate, kBlock);
    Channels in(3, kBlock), out(1, kBlock);
    for (auto& channel : in.samples)
        channel.assign(kBlock, 0.5f);
    host.process(in.data(), out.data(), kBlock);
    for (int i = 1; i < 3; ++i)
        EXPECT_EQ(in.samples[static_cast<std::size_t>(i)], std::vector<float>(kBlock, 0.5f));
}

// Runs a block on a thread of its own, under the given scheduling policy when
// the system allows it; false when it does not.
bool processOnThread(TestHost& host, int policy)
{
    bool ran = false;
    std::thread audio([&] {
        if (policy != SCHED_OTHER) {
            sched_param priority{};
            priority.sched_priority = sched_get_priority_min(policy);
            if (pthread_setschedparam(pthread_self(), policy, &priority) != 0)
                return;
        }
        Channels in(2, kBlock), out(2, kBlock);
        host.process(in.data(), out.data(), kBlock);
        ran = true;
    });
    audio.join();
    return ran;
}

TEST_F(AdapterTest, TheFirstBlockAfterAResumeIsOfflineWhenTheHostSaysSoOrItsThreadIsNotRealtime)
{
    ASSERT_TRUE(makeEffect(2, 2));
    host.processLevel = kVstProcessLevelRealtime;
    host.resume(kRate, kBlock);
    ASSERT_TRUE(processOnThread(host, SCHED_OTHER));
    EXPECT_TRUE(probe->lastBlockNonRealtime);

    host.processLevel = kVstProcessLevelOffline;
    host.suspend();
    host.resume(kRate, kBlock);
    EXPECT_TRUE(probe->isNonRealtime());
    if (!processOnThread(host, SCHED_FIFO))
        GTEST_SKIP() << "real-time scheduling is not allowed here";
    EXPECT_TRUE(probe->lastBlockNonRealtime);

    host.processLevel = kVstProcessLevelRealtime;
    host.suspend();
    host.resume(kRate, kBlock);
    ASSERT_TRUE(processOnThread(host, SCHED_FIFO));
    EXPECT_FALSE(probe->lastBlockNonRealtime);
    // Only the first block after a resume decides.
    host.processLevel = kVstProcessLevelOffline;
    ASSERT_TRUE(processOnThread(host, SCHED_OTHER));
    EXPECT_FALSE(probe->lastBlockNonRealtime);
}

}  // namespace
