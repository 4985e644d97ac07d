// A 32 × 32 matrix of 1 s IRs at N 4096 played live: host blocks of 512
// samples released every 512 / 48000 s, as a sound card's interrupts would, on
// a thread of the real-time class (SCHED_FIFO) where the system permits it. A
// block missed its deadline when its callback ends after the next block's
// release; the stream then starts again from that moment, as a host does after
// an underrun. Prints the misses and the mean and worst callback in wall time
// over about ten seconds, after one unpaced IR length of warm-up.
// Run a Release build on one otherwise quiet core:
//   taskset -c 7 build/release/bench/bench_engine_live_pacing [engine|peer]
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

#include <sched.h>

#include "bench/block_process.h"

namespace {

using namespace enginebench;

const Shape kShape = {"32x32_1s", 32, 1.0};
constexpr int kFftSize = 4096;
constexpr int kPacedBlocks = 940;
constexpr double kBlockSeconds = static_cast<double>(kBlock) / kRate;

double secondsOf(const timespec& t) { return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec); }

timespec timespecOf(double seconds)
{
    timespec t{};
    t.tv_sec = static_cast<time_t>(seconds);
    t.tv_nsec = static_cast<long>((seconds - static_cast<double>(t.tv_sec)) * 1e9);
    return t;
}

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return secondsOf(t);
}

// True when the calling thread now runs in the real-time class.
bool enterRealTimeClass()
{
    sched_param parameter{};
    parameter.sched_priority = sched_get_priority_max(SCHED_FIFO) - 10;
    return sched_setscheduler(0, SCHED_FIFO, &parameter) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string which = argc > 1 ? argv[1] : "engine";
    const Matrix m = makeMatrix(kShape);
    const BlockProcess process = makeBlockProcess(which, m, kFftSize);
    if (!process) {
        std::fprintf(stderr, "%s: no convolution named %s, or it could not be prepared\n", argv[0], which.c_str());
        return 1;
    }
    HostBlocks blocks(m.size);
    for (int b = 0; b < m.irSamples / kBlock + 1; ++b)
        process(blocks.refill());

    const bool realTime = enterRealTimeClass();
    int misses = 0;
    double total = 0.0, worst = 0.0;
    double release = now();
    for (int b = 0; b < kPacedBlocks; ++b) {
        float* const* channels = blocks.refill();
        const timespec at = timespecOf(release);
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
        const double start = now();
        process(channels);
        const double end = now();
        total += end - start;
        worst = std::max(worst, end - start);
        release += kBlockSeconds;
        if (end > release) {
            ++misses;
            release = end;
        }
    }
    std::printf(
        "%s, %s, %s: %d of %d deadlines missed; callback mean %.2f ms (%.2f of the block), worst %.2f ms "
        "(%.2f)\n",
        which.c_str(), kShape.name, realTime ? "SCHED_FIFO" : "SCHED_OTHER (no real-time class)", misses, kPacedBlocks,
        1e3 * total / kPacedBlocks, total / kPacedBlocks / kBlockSeconds, 1e3 * worst, worst / kBlockSeconds);
    return 0;
}
