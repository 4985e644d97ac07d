// The validators' real-time checks on Brondil.so in our host: an audio thread
// that runs blocks while the host's GUI thread restores states back to back
// must not allocate, and the plug-in must hold the lock that audio thread
// takes for no longer than a few pointer swaps take.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

#include "tests/host/allocation_counter.h"
#include "tests/host/lock_wait_probe.h"
#include "tests/host/validator_fixture.h"

namespace {

constexpr int32_t kBlock = 256;
constexpr int kRestores = 20;
// A second of reverb per cell: restores that load it take milliseconds.
constexpr int kLongIrFrames = 48000;
constexpr int kQuietBlocks = 2000;

// What the audio thread saw over a stretch of blocks.
struct AudioStretch {
    long blocks = 0;
    double worstBlockMs = 0.0;
    long allocations = 0;
    hosttest::LockWaits waits;
};

// Runs blocks on a thread of its own, as a host's audio thread does, until
// told to stop; counts its allocations and times its waits for locks.
class AudioThread {
public:
    explicit AudioThread(HostedEffect& effect) : effect(effect), worker([this] { run(); }) {}
    ~AudioThread() { stop(); }

    // The stretch since the last call: blocks, the slowest, allocations and waits.
    AudioStretch take()
    {
        AudioStretch stretch;
        stretch.blocks = blocks.exchange(0);
        stretch.worstBlockMs = static_cast<double>(worstBlockNs.exchange(0)) / 1e6;
        stretch.allocations = hosttest::takeAllocationCount();
        stretch.waits = hosttest::takeLockWaits();
        return stretch;
    }

    void waitForBlocks(long count)
    {
        while (blocks.load() < count)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    void stop()
    {
        running = false;
        if (worker.joinable())
            worker.join();
    }

private:
    void run()
    {
        std::vector<float> in[2], out[2];
        float* inputs[2];
        float* outputs[2];
        for (int c = 0; c < 2; ++c) {
            in[c] = decayingNoise(50 + c, kBlock, 0.0);
            out[c].assign(kBlock, 0.0f);
            inputs[c] = in[c].data();
            outputs[c] = out[c].data();
        }
        // The first block after a resume may ask the host about its thread.
        effect.process(inputs, outputs, kBlock);
        hosttest::countAllocationsOnThisThread(true);
        hosttest::timeLockWaitsOnThisThread(true);
        while (running) {
            const auto start = std::chrono::steady_clock::now();
            effect.process(inputs, outputs, kBlock);
            const long long ns =
                std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
            worstBlockNs.store(std::max(worstBlockNs.load(), ns));
            blocks.fetch_add(1);
        }
        hosttest::timeLockWaitsOnThisThread(false);
        hosttest::countAllocationsOnThisThread(false);
    }

    HostedEffect& effect;
    std::atomic<bool> running{true};
    std::atomic<long> blocks{0};
    std::atomic<long long> worstBlockNs{0};
    std::thread worker;
};

void report(const char* what, const AudioStretch& stretch)
{
    std::cout << what << ": " << stretch.blocks << " blocks, worst " << stretch.worstBlockMs << " ms, "
              << stretch.allocations << " allocations, " << stretch.waits.count << " lock waits, longest "
              << stretch.waits.longestMs << " ms; longest hold of its locks elsewhere " << stretch.waits.longestHoldMs
              << " ms of processor time, " << stretch.waits.holdsOverTenthMs << " over 0.1 ms\n";
}

TEST_F(ValidatorTest, BackToBackRestoresLeaveTheAudioThreadFreeOfAllocationsAndLongWaits)
{
    const std::string longIrPath = pathInFolder("long.wav");
    ASSERT_TRUE(writeWav(longIrPath, irMultiFile(makeIrMatrix(kChannels, kChannels, kLongIrFrames)), kRate));
    const std::vector<char> longState = irMultiState(longIrPath, kChannels, 0.0);
    loadEffect(kRate, kBlock);
    effect->setChunk(longState, false);
    effect->resume();
    AudioStretch quiet;
    AudioStretch restoring;
    {
        AudioThread audio(*effect);
        audio.waitForBlocks(kQuietBlocks);
        quiet = audio.take();
        for (int k = 0; k < kRestores; ++k)
            effect->setChunk(longState, false);
        restoring = audio.take();
    }
    report("without restores", quiet);
    report("during restores", restoring);
    RecordProperty("worst_block_us_quiet", static_cast<int>(quiet.worstBlockMs * 1000));
    RecordProperty("worst_block_us_restoring", static_cast<int>(restoring.worstBlockMs * 1000));
    RecordProperty("longest_lock_wait_us", static_cast<int>(restoring.waits.longestMs * 1000));

    EXPECT_GT(restoring.blocks, 0);
    EXPECT_EQ(quiet.allocations, 0);
    EXPECT_EQ(restoring.allocations, 0);
    // Work under the callback lock, in the holder's processor time: a
    // restore holds it for pointer swaps and counts, never for a load, which
    // would take milliseconds in each of the restores.
    if (hosttest::kLocksAreProbed) {
        EXPECT_LE(restoring.waits.holdsOverTenthMs, 1);
        EXPECT_LT(restoring.waits.longestHoldMs, 1.0);
    }
}

}  // namespace
