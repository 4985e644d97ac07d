// Per-callback cost of the engine at 48 kHz with host blocks of 512 samples,
// where a hop spans several callbacks: the average, 99th-percentile and worst
// callback's thread CPU time (a busy machine's preemptions would otherwise count
// as the engine's work) over ten audio seconds after a warm-up of one IR length.
// The counters give the 99th percentile and the worst over the average, and the
// average and worst against the block's 10.7 ms.
//
// Run a Release build on one otherwise quiet core:
//   taskset -c 7 build/release/bench/bench_engine_callbacks --benchmark_repetitions=5
//       --benchmark_enable_random_interleaving=true
#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/engine_matrix.h"
#include "primitives/dsp.h"

namespace {

using namespace enginebench;

double cpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

struct CallbackCase {
    Shape shape;
    int n;
};

const CallbackCase kCases[] = {
    {{"8x8_2s", 8, 2.0}, 4096},
    {{"8x8_2s", 8, 2.0}, 8192},
    {{"32x32_1s", 32, 1.0}, 4096},
    {{"32x32_1s", 32, 1.0}, 8192},
};

constexpr int kMeasuredSeconds = 10;

void Callbacks(benchmark::State& state, const CallbackCase& c)
{
    const Matrix m = makeMatrix(c.shape);
    dspInitCpuDispatch();
    BRPartitionedConvolver convolver;
    std::vector<BRAlignedFloats> spectra;
    if (!prepareEngine(m, c.n, convolver, spectra)) {
        state.SkipWithError("the convolver could not be prepared");
        return;
    }
    HostBlocks blocks(m.size);
    const int warmUp = (m.irSamples + kBlock - 1) / kBlock;
    for (int k = 0; k < warmUp; ++k)
        convolver.process(blocks.refill(), m.size, kBlock, 1.0f);

    std::vector<double> seconds;
    seconds.reserve(static_cast<std::size_t>(kMeasuredSeconds * kBlocksPerSecond));
    for (auto _ : state) {
        seconds.clear();
        for (int k = 0; k < kMeasuredSeconds * kBlocksPerSecond; ++k) {
            float* const* channels = blocks.refill();
            const auto start = cpuNow();
            convolver.process(channels, m.size, kBlock, 1.0f);
            const auto end = cpuNow();
            benchmark::DoNotOptimize(channels[0][0]);
            seconds.push_back(end - start);
        }
    }
    std::sort(seconds.begin(), seconds.end());
    double total = 0.0;
    for (const double s : seconds)
        total += s;
    const double average = total / static_cast<double>(seconds.size());
    const double p99 = seconds[seconds.size() * 99 / 100];
    const double worst = seconds.back();
    const double block = static_cast<double>(kBlock) / kRate;
    state.counters["p99/avg"] = p99 / average;
    state.counters["worst/avg"] = worst / average;
    state.counters["avg/block"] = average / block;
    state.counters["worst/block"] = worst / block;
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (const CallbackCase& c : kCases)
        benchmark::RegisterBenchmark(("Callbacks/" + std::string(c.shape.name) + "/N" + std::to_string(c.n)).c_str(),
                                     [c](benchmark::State& s) { Callbacks(s, c); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
