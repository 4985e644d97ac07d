#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/status.h"
#include "primitives/interleave/interleave.h"
#include "tests/primitives/vector_test_support.h"
#include "tests/support/cpu_class.h"

namespace {

using vectortest::GuardedWindow;

class Interleaving : public dsptest::EveryCpuClass {};

// Patterns that any arithmetic would change: signalling and quiet NaNs with
// payloads, infinities, denormals and negative zero, among ordinary samples.
std::uint32_t sampleBits(std::size_t channel, std::size_t frame)
{
    static const std::uint32_t specials[] = {0x7F800001u, 0xFFC01234u, 0x7F800000u, 0x00000001u, 0x80000000u,
                                             0x807FFFFFu};
    const std::size_t key = channel * 7919 + frame * 104729;
    if (key % 5 == 0)
        return specials[key / 5 % 6];
    return 0x3F800000u + static_cast<std::uint32_t>(channel << 16 | (frame & 0xFFFF));
}

// Where the buffers start: byte offsets from a 16-byte boundary.
struct Layout {
    const char* name;
    std::size_t interleaved;
    std::size_t channel;       // every channel ...
    std::size_t lastChannel;   // ... but the last
    int status;
};

const Layout kLayouts[] = {
    {"all aligned", 0, 0, 0, dspOk},
    {"interleaved buffer 4 bytes off", 4, 0, 0, dspWarnUnaligned},
    {"last channel 4 bytes off", 0, 0, 4, dspWarnUnaligned},
    {"all off", 8, 12, 4, dspWarnUnaligned},
};

struct Buffers {
    std::vector<std::unique_ptr<GuardedWindow>> channels;
    std::unique_ptr<GuardedWindow> interleaved;
    std::vector<float*> pointers;

    Buffers(int channelCount, int len, const Layout& layout)
        : interleaved(std::make_unique<GuardedWindow>(std::size_t(channelCount) * len, layout.interleaved))
    {
        for (int c = 0; c < channelCount; ++c) {
            channels.push_back(
                std::make_unique<GuardedWindow>(len, c == channelCount - 1 ? layout.lastChannel : layout.channel));
            pointers.push_back(channels.back()->data());
        }
    }

    bool canariesIntact() const
    {
        for (const auto& channel : channels)
            if (!channel->canariesIntact())
                return false;
        return interleaved->canariesIntact();
    }
};

void expectInterleaved(int channelCount, int len, const Layout& layout)
{
    const std::string what = std::to_string(channelCount) + " channels of " + std::to_string(len) + ", " + layout.name;
    Buffers buffers(channelCount, len, layout);
    for (int c = 0; c < channelCount; ++c)
        for (int i = 0; i < len; ++i)
            buffers.channels[c]->setBits(i, sampleBits(c, i));
    ASSERT_EQ(dspInterleave(buffers.pointers.data(), channelCount, len, buffers.interleaved->data()), layout.status)
        << what;
    for (int i = 0; i < len; ++i)
        for (int c = 0; c < channelCount; ++c)
            ASSERT_EQ(buffers.interleaved->getBits(std::size_t(i) * channelCount + c), sampleBits(c, i))
                << what << ": frame " << i << ", channel " << c;
    ASSERT_TRUE(buffers.canariesIntact()) << what;
}

void expectDeinterleaved(int channelCount, int len, const Layout& layout)
{
    const std::string what = std::to_string(channelCount) + " channels of " + std::to_string(len) + ", " + layout.name;
    Buffers buffers(channelCount, len, layout);
    for (int i = 0; i < len; ++i)
        for (int c = 0; c < channelCount; ++c)
            buffers.interleaved->setBits(std::size_t(i) * channelCount + c, sampleBits(c, i));
    ASSERT_EQ(dspDeinterleave(buffers.interleaved->data(), channelCount, len, buffers.pointers.data()), layout.status)
        << what;
    for (int c = 0; c < channelCount; ++c)
        for (int i = 0; i < len; ++i)
            ASSERT_EQ(buffers.channels[c]->getBits(i), sampleBits(c, i)) << what << ": frame " << i << ", channel " << c;
    ASSERT_TRUE(buffers.canariesIntact()) << what;
}

TEST_P(Interleaving, PointersThenCountsThenChannelsAreCheckedBeforeAnythingIsWritten)
{
    alignas(16) float left[4] = {1, 2, 3, 4}, right[4] = {5, 6, 7, 8}, frames[8] = {};
    const float* sources[2] = {left, right};
    float* targets[2] = {left, right};

    EXPECT_EQ(dspInterleave(nullptr, 0, 0, frames), dspErrNullPointer);
    EXPECT_EQ(dspInterleave(sources, 0, 0, nullptr), dspErrNullPointer);
    EXPECT_EQ(dspInterleave(sources, 0, 0, frames), dspErrChannelCount);
    EXPECT_EQ(dspInterleave(sources, -3, 4, frames), dspErrChannelCount);
    EXPECT_EQ(dspInterleave(sources, 2, 0, frames), dspErrLength);
    EXPECT_EQ(dspDeinterleave(frames, 0, 0, nullptr), dspErrNullPointer);
    EXPECT_EQ(dspDeinterleave(nullptr, 0, 0, targets), dspErrNullPointer);
    EXPECT_EQ(dspDeinterleave(frames, 0, 0, targets), dspErrChannelCount);
    EXPECT_EQ(dspDeinterleave(frames, 2, -1, targets), dspErrLength);

    // A null last channel stops the call before the valid first one is touched.
    const float* sourcesWithNull[2] = {left, nullptr};
    float* targetsWithNull[2] = {left, nullptr};
    EXPECT_EQ(dspInterleave(sourcesWithNull, 2, 4, frames), dspErrNullPointer);
    for (float x : frames)
        EXPECT_EQ(x, 0.0f);
    for (int i = 0; i < 8; ++i)
        frames[i] = 9.0f;
    EXPECT_EQ(dspDeinterleave(frames, 2, 4, targetsWithNull), dspErrNullPointer);
    EXPECT_EQ(left[0], 1.0f);
    EXPECT_EQ(left[3], 4.0f);
}

TEST_P(Interleaving, OneAlignedSampleIsCopiedWithoutAWarning)
{
    alignas(16) float sample[4] = {0.25f}, frame[4] = {};
    const float* channels[1] = {sample};
    EXPECT_EQ(dspInterleave(channels, 1, 1, frame), dspOk);
    EXPECT_EQ(frame[0], 0.25f);
    float* targets[1] = {frame + 1};
    EXPECT_EQ(dspDeinterleave(frame, 1, 1, targets), dspWarnUnaligned);
    EXPECT_EQ(frame[1], 0.25f);
}

TEST_P(Interleaving, FramesCarryEverySampleBitForBitForSmallChannelCounts)
{
    std::vector<int> lengths;
    for (int len = 1; len <= 17; ++len)
        lengths.push_back(len);
    for (int len : {31, 32, 33, 1000})
        lengths.push_back(len);
    for (int channelCount = 1; channelCount <= 9; ++channelCount) {
        for (int len : lengths) {
            for (const Layout& layout : kLayouts) {
                ASSERT_NO_FATAL_FAILURE(expectInterleaved(channelCount, len, layout));
                ASSERT_NO_FATAL_FAILURE(expectDeinterleaved(channelCount, len, layout));
            }
        }
    }
}

TEST_P(Interleaving, WideFramesOnEitherSideOfTheFrameOrderBoundCarryEverySample)
{
    for (int channelCount : {239, 240, 241}) {
        for (int len : {1, 4, 5, 9}) {
            for (const Layout& layout : {kLayouts[0], kLayouts[3]}) {
                ASSERT_NO_FATAL_FAILURE(expectInterleaved(channelCount, len, layout));
                ASSERT_NO_FATAL_FAILURE(expectDeinterleaved(channelCount, len, layout));
            }
        }
    }
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(Interleaving);

}  // namespace
