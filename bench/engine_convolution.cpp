// CPU seconds per second of 48 kHz audio through a square IR matrix, host
// blocks of 512 samples, FFT sizes 1024, 4096 and 8192: the engine's partitioned
// convolver against the strong peer (FFTW and hand-written SSE sums in
// registers, its cells in the order it reads them) and zita-convolver with
// uniform partitions of the same size and with non-uniform ones from the same
// first partition; a 64 × 64 matrix against the strong peer alone. Process CPU
// time counts zita's own worker threads too. Then the engine on subnormal input
// against normal input, the multiply-accumulate kernel, for one output and for
// a pair, with its rows in the first-level cache against the 128-bit arithmetic
// peak of this processor, and the engine with its working set in the
// second-level cache against that kernel. The strong peer's output is checked
// against a direct convolution first.
//
// For a table, run a Release build on one core with interleaved repetitions,
// whose medians the tables take (about ten minutes; --benchmark_filter picks cases):
//   taskset -c 3 build/release/bench/bench_engine_convolution
//       --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>
#include <sched.h>
#include <xmmintrin.h>
#include <zita-convolver.h>

#include "bench/engine_matrix.h"
#include "bench/strong_uniform_reference.h"
#include "bench/uniform_overlap_save.h"
#include "engine/partitioned_convolver.h"
#include "primitives/dsp.h"

namespace {

using enginebench::HostBlocks;
using enginebench::kBlock;
using enginebench::kBlocksPerSecond;
using enginebench::kRate;
using enginebench::makeMatrix;
using enginebench::Matrix;
using enginebench::Shape;

// The timed table: every shape at every FFT size against every peer, and one
// large matrix against the strong peer alone.
const Shape kShapes[] = {{"8x8_2s", 8, 2.0}, {"32x32_1s", 32, 1.0}};
const int kFftSizes[] = {1024, 4096, 8192};
const Shape kLarge = {"64x64_0.5s", 64, 0.5};
constexpr int kLargeFftSize = 4096;
// Cells and histories of 376 KB: within the second-level cache.
const Shape kInL2 = {"1x1_0.5s", 1, 0.5};
// Input noise wholly below the normal range.
const Shape kSubnormalShape = {"2x2_2s", 2, 2.0};
constexpr float kSubnormalLevel = 1e-39f;

const char* const kPeers[] = {"StrongReference", "ZitaUniform", "ZitaNonUniform"};

// Complex multiply-accumulates per audio second: every cell's partitions, N / 2 bins, every hop.
double macsPerSecond(const Matrix& m, int n)
{
    const double partitions = std::ceil(static_cast<double>(m.irSamples) / (n / 2));
    return static_cast<double>(m.size) * m.size * partitions * (n / 2) * (static_cast<double>(kRate) / (n / 2));
}

void Engine(benchmark::State& state, const Shape& shape, int n, float inputLevel = 1.0f)
{
    const Matrix m = makeMatrix(shape);
    dspInitCpuDispatch();
    BRPartitionedConvolver convolver;
    std::vector<BRAlignedFloats> spectra;
    if (!enginebench::prepareEngine(m, n, convolver, spectra)) {
        state.SkipWithError("the convolver could not be prepared");
        return;
    }
    HostBlocks blocks(m.size, inputLevel);
    for (auto _ : state)
        for (int b = 0; b < kBlocksPerSecond; ++b) {
            float* const* channels = blocks.refill();
            convolver.process(channels, m.size, kBlock, 1.0f);
            benchmark::DoNotOptimize(channels[0][0]);
        }
    state.counters["GCMAC/s"] = benchmark::Counter(macsPerSecond(m, n) * static_cast<double>(state.iterations()) * 1e-9,
                                                   benchmark::Counter::kIsRate);
}

void Strong(benchmark::State& state, const Shape& shape, int n)
{
    const Matrix m = makeMatrix(shape);
    enginebench::StrongUniformReference reference(m, n, kBlock);
    HostBlocks blocks(m.size);
    for (auto _ : state)
        for (int b = 0; b < kBlocksPerSecond; ++b) {
            float* const* channels = blocks.refill();
            reference.process(channels);
            benchmark::DoNotOptimize(channels[0][0]);
        }
}

void Zita(benchmark::State& state, const Shape& shape, int n, bool uniform)
{
    Matrix m = makeMatrix(shape);
    const int hop = n / 2;
    Convproc convolver;
    convolver.set_options(Convproc::OPT_FFTW_MEASURE | Convproc::OPT_VECTOR_MODE);
    if (convolver.configure(m.size, m.size, m.irSamples, kBlock, hop, uniform ? hop : Convproc::MAXPART, 1.0f) != 0) {
        state.SkipWithError("zita-convolver refused the configuration");
        return;
    }
    for (int o = 0; o < m.size; ++o)
        for (int i = 0; i < m.size; ++i)
            convolver.impdata_create(i, o, 1, m.irs[static_cast<std::size_t>(o) * m.size + i].data(), 0, m.irSamples);
    convolver.start_process(0, SCHED_OTHER);
    HostBlocks blocks(m.size);
    for (auto _ : state)
        for (int b = 0; b < kBlocksPerSecond; ++b) {
            float* const* channels = blocks.refill();
            for (int i = 0; i < m.size; ++i)
                std::copy_n(channels[i], kBlock, convolver.inpdata(i));
            convolver.process(true);
            benchmark::DoNotOptimize(convolver.outdata(0)[0]);
        }
    convolver.stop_process();
    while (!convolver.check_stop())
        sched_yield();
    convolver.cleanup();
}

// The kernel on 2 strips (16 bins) of 64 rows, the rows per load of the sums
// that the engine's blocks of inputs aim at, in two runs as the engine passes
// an input's history ring in two parts. The runs read the same rows: 16 KB for
// one output, 24 KB for a pair, in the first-level cache.
constexpr int kL1Strips = 2;
constexpr int kL1Rows = 64;
constexpr int kL1Runs = 2;
constexpr int kL1Bins = 8 * kL1Strips;

enum class L1Kernel {
    Engine,
    // Both outputs of the pair kernel, the engine's usual call.
    EnginePair,
    // The strong peer's, strip by strip.
    Strong
};

void KernelInL1(benchmark::State& state, L1Kernel kernel)
{
    dspInitCpuDispatch();
    const int stripStride = 16 * kL1Rows;
    const int floats = kL1Strips * stripStride;
    float* a = dspAllocFloats(floats);
    float* b = dspAllocFloats(floats);
    float* c = dspAllocFloats(floats);
    float* sums = dspAllocFloats(2 * 16 * kL1Strips);
    // Values near 0.01: the sums grow by about 1e-3 per call and stay normal.
    for (int k = 0; k < floats; ++k) {
        a[k] = 0.01f * static_cast<float>(k % 17 + 1);
        b[k] = 0.01f * static_cast<float>(k % 13 + 1);
        c[k] = 0.01f * static_cast<float>(k % 11 + 1);
    }
    std::fill_n(sums, 2 * 16 * kL1Strips, 0.0f);
    const float* aRuns[kL1Runs] = {a, a};
    const float* bRuns[kL1Runs] = {b, b};
    const float* cRuns[kL1Runs] = {c, c};
    const int rows[kL1Runs] = {kL1Rows, kL1Rows};
    for (auto _ : state) {
        if (kernel == L1Kernel::EnginePair)
            dspMulAccumulateSplitSpectraPair(aRuns, bRuns, cRuns, rows, kL1Runs, sums, sums + 16 * kL1Strips, kL1Bins,
                                             stripStride, stripStride, 0);
        else if (kernel == L1Kernel::Engine)
            dspMulAccumulateSplitSpectra(aRuns, bRuns, rows, kL1Runs, sums, kL1Bins, stripStride, stripStride, 0);
        else
            for (int run = 0; run < kL1Runs; ++run)
                for (int s = 0; s < kL1Strips; ++s)
                    enginebench::addStripProducts(a + s * stripStride, b + s * stripStride, kL1Rows, sums + 16 * s);
        benchmark::ClobberMemory();
    }
    dspFree(sums);
    dspFree(c);
    dspFree(b);
    dspFree(a);
}

// The strong peer's output against a direct convolution in double precision:
// the relative RMS error over a 2 × 2 matrix of 3000-sample IRs, N 512, B 128.
double strongReferenceError()
{
    const Shape shape = {"check", 2, 3000.0 / kRate};
    const Matrix m = makeMatrix(shape);
    const int n = 512, block = 128, delay = n / 2 - block;
    const int length = 40 * block;
    std::mt19937 random(3);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<std::vector<float>> input(2, std::vector<float>(length));
    for (auto& channel : input)
        for (float& x : channel)
            x = uniform(random);
    enginebench::StrongUniformReference peer(m, n, block);
    std::vector<std::vector<float>> output(2, std::vector<float>(length));
    std::vector<float> buffers[2] = {std::vector<float>(block), std::vector<float>(block)};
    float* channels[2] = {buffers[0].data(), buffers[1].data()};
    for (int at = 0; at < length; at += block) {
        for (int c = 0; c < 2; ++c)
            std::copy_n(input[c].begin() + at, block, buffers[c].begin());
        peer.process(channels);
        for (int c = 0; c < 2; ++c)
            std::copy_n(buffers[c].begin(), block, output[c].begin() + at);
    }
    double error = 0.0, energy = 0.0;
    for (int o = 0; o < 2; ++o)
        for (int t = delay; t < length; ++t) {
            double direct = 0.0;
            for (int i = 0; i < 2; ++i) {
                const std::vector<float>& ir = m.irs[static_cast<std::size_t>(o) * 2 + i];
                for (int k = 0; k < m.irSamples && k <= t - delay; ++k)
                    direct += static_cast<double>(ir[k]) * input[i][t - delay - k];
            }
            error += (output[o][t] - direct) * (output[o][t] - direct);
            energy += direct * direct;
        }
    return std::sqrt(error / energy);
}

// Independent 128-bit multiplies and additions in equal numbers, as in the
// kernel: eight chains of each, more than their latency of three cycles times
// two units per kind needs, so only the units' throughput bounds them. Each
// value squares itself (1) or doubles itself (0), so it stays as it is, and the
// sixteen chains need no register besides their own. The starting values come
// from memory the compiler cannot see through.
constexpr int kPeakSteps = 1000;
constexpr int kPeakOperationsPerStep = 16;
volatile float peakOne = 1.0f;
volatile float peakZero = 0.0f;

void ArithmeticPeak(benchmark::State& state)
{
    __m128 m0 = _mm_set1_ps(peakOne), m1 = m0, m2 = m0, m3 = m0, m4 = m0, m5 = m0, m6 = m0, m7 = m0;
    __m128 a0 = _mm_set1_ps(peakZero), a1 = a0, a2 = a0, a3 = a0, a4 = a0, a5 = a0, a6 = a0, a7 = a0;
    for (auto _ : state) {
        for (int k = 0; k < kPeakSteps; ++k) {
            m0 = _mm_mul_ps(m0, m0), a0 = _mm_add_ps(a0, a0);
            m1 = _mm_mul_ps(m1, m1), a1 = _mm_add_ps(a1, a1);
            m2 = _mm_mul_ps(m2, m2), a2 = _mm_add_ps(a2, a2);
            m3 = _mm_mul_ps(m3, m3), a3 = _mm_add_ps(a3, a3);
            m4 = _mm_mul_ps(m4, m4), a4 = _mm_add_ps(a4, a4);
            m5 = _mm_mul_ps(m5, m5), a5 = _mm_add_ps(a5, a5);
            m6 = _mm_mul_ps(m6, m6), a6 = _mm_add_ps(a6, a6);
            m7 = _mm_mul_ps(m7, m7), a7 = _mm_add_ps(a7, a7);
        }
        benchmark::DoNotOptimize(m0), benchmark::DoNotOptimize(m1), benchmark::DoNotOptimize(m2);
        benchmark::DoNotOptimize(m3), benchmark::DoNotOptimize(m4), benchmark::DoNotOptimize(m5);
        benchmark::DoNotOptimize(m6), benchmark::DoNotOptimize(m7), benchmark::DoNotOptimize(a0);
        benchmark::DoNotOptimize(a1), benchmark::DoNotOptimize(a2), benchmark::DoNotOptimize(a3);
        benchmark::DoNotOptimize(a4), benchmark::DoNotOptimize(a5), benchmark::DoNotOptimize(a6);
        benchmark::DoNotOptimize(a7);
    }
}

std::string caseName(const char* runner, const Shape& shape, int n)
{
    return std::string(runner) + "/" + shape.name + "/N" + std::to_string(n);
}

void add(const std::string& name, std::function<void(benchmark::State&)> run)
{
    benchmark::RegisterBenchmark(name.c_str(), std::move(run))->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
}

void registerAll()
{
    for (const int n : kFftSizes)
        for (const Shape& shape : kShapes) {
            add(caseName("Engine", shape, n), [shape, n](benchmark::State& s) { Engine(s, shape, n); });
            add(caseName("StrongReference", shape, n), [shape, n](benchmark::State& s) { Strong(s, shape, n); });
            add(caseName("ZitaUniform", shape, n), [shape, n](benchmark::State& s) { Zita(s, shape, n, true); });
            add(caseName("ZitaNonUniform", shape, n), [shape, n](benchmark::State& s) { Zita(s, shape, n, false); });
        }
    add(caseName("Engine", kLarge, kLargeFftSize), [](benchmark::State& s) { Engine(s, kLarge, kLargeFftSize); });
    add(caseName("StrongReference", kLarge, kLargeFftSize),
        [](benchmark::State& s) { Strong(s, kLarge, kLargeFftSize); });
    add(caseName("Engine", kInL2, 1024), [](benchmark::State& s) { Engine(s, kInL2, 1024); });
    add(caseName("Engine", kSubnormalShape, 1024), [](benchmark::State& s) { Engine(s, kSubnormalShape, 1024); });
    add(caseName("EngineSubnormalInput", kSubnormalShape, 1024),
        [](benchmark::State& s) { Engine(s, kSubnormalShape, 1024, kSubnormalLevel); });
    benchmark::RegisterBenchmark("KernelInL1", [](benchmark::State& s) { KernelInL1(s, L1Kernel::Engine); });
    benchmark::RegisterBenchmark("KernelPairInL1", [](benchmark::State& s) { KernelInL1(s, L1Kernel::EnginePair); });
    benchmark::RegisterBenchmark("StrongKernelInL1", [](benchmark::State& s) { KernelInL1(s, L1Kernel::Strong); });
    benchmark::RegisterBenchmark("ArithmeticPeak128", ArithmeticPeak);
}

// CPU time per iteration of every benchmark, by name: the median over its
// repetitions, or its one run without repetitions.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!run.error_occurred && (median || single))
                seconds[run.run_name.function_name] = run.GetAdjustedCPUTime() /
                                                      benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

// One row per case the engine ran: its CPU seconds per audio second, then
// ratio(engine, peer) for every peer.
template <typename Find, typename Ratio>
void printRatioTable(const char* title, Find find, Ratio ratio)
{
    std::vector<std::pair<Shape, int>> cases;
    for (const int n : kFftSizes)
        for (const Shape& shape : kShapes)
            cases.emplace_back(shape, n);
    cases.emplace_back(kLarge, kLargeFftSize);
    std::printf("\n%s\n", title);
    std::printf("%-10s %6s %8s", "matrix", "N", "engine");
    for (const char* peer : kPeers)
        std::printf(" %18s", peer);
    std::printf("\n");
    for (const auto& [shape, n] : cases) {
        const double engine = find(caseName("Engine", shape, n));
        if (engine <= 0.0)
            continue;
        std::printf("%-10s %6d %8.4f", shape.name, n, engine);
        for (const char* peer : kPeers) {
            const double time = find(caseName(peer, shape, n));
            if (time > 0.0)
                std::printf(" %18.2f", ratio(engine, time));
            else
                std::printf(" %18s", "-");
        }
        std::printf("\n");
    }
}

void printRatios(const std::map<std::string, double>& seconds)
{
    auto find = [&](const std::string& name) {
        const auto it = seconds.find(name);
        return it == seconds.end() ? 0.0 : it->second;
    };
    printRatioTable(
        "CPU seconds per audio second, and each peer's time over the engine's (above 1: the engine is faster)", find,
        [](double engine, double peer) { return peer / engine; });
    printRatioTable("The engine's time over each peer's (below 1: the engine is faster)", find,
                    [](double engine, double peer) { return engine / peer; });

    const double normal = find(caseName("Engine", kSubnormalShape, 1024));
    const double subnormal = find(caseName("EngineSubnormalInput", kSubnormalShape, 1024));
    if (normal > 0.0 && subnormal > 0.0)
        std::printf("\nSubnormal input over normal input (%s, N 1024): %.2f\n", kSubnormalShape.name,
                    subnormal / normal);

    const double kernel = find("KernelInL1");
    const double pairKernel = find("KernelPairInL1");
    const double strongKernel = find("StrongKernelInL1");
    const double peak = find("ArithmeticPeak128");
    const double inL2 = find(caseName("Engine", kInL2, 1024));
    if (kernel > 0.0 && peak > 0.0) {
        // A kernel step of four bins is four multiplies and four additions.
        const double kernelRate = static_cast<double>(kL1Bins) * kL1Rows * kL1Runs / kernel;
        const double peakRate = static_cast<double>(kPeakOperationsPerStep) * kPeakSteps / peak * 4.0 / 8.0;
        std::printf(
            "\nKernel in L1: %.2f G complex multiply-accumulates/s; 128-bit peak: %.2f G/s; "
            "peak / kernel = %.2f\n",
            kernelRate * 1e-9, peakRate * 1e-9, peakRate / kernelRate);
        if (pairKernel > 0.0) {
            const double pairRate = 2.0 * kL1Bins * kL1Rows * kL1Runs / pairKernel;
            std::printf("Pair kernel in L1: %.2f G/s; peak / pair kernel = %.2f\n", pairRate * 1e-9,
                        peakRate / pairRate);
        }
        if (strongKernel > 0.0) {
            const double strongRate = static_cast<double>(kL1Bins) * kL1Rows * kL1Runs / strongKernel;
            std::printf("Strong peer's kernel in L1: %.2f G/s; peak / strong kernel = %.2f\n", strongRate * 1e-9,
                        peakRate / strongRate);
        }
        if (inL2 > 0.0) {
            const double engineRate = macsPerSecond(makeMatrix(kInL2), 1024) / inL2;
            std::printf("Engine with its working set in L2 (%s, N 1024): %.2f G/s; kernel / engine = %.2f\n",
                        kInL2.name, engineRate * 1e-9, kernelRate / engineRate);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // Single-precision sums of a few thousand terms: well within 1e-6 of the signal.
    const double error = strongReferenceError();
    std::printf("Strong peer against a direct convolution: relative RMS error %.2e\n", error);
    if (!(error < 1e-6))
        return 1;
    registerAll();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter.seconds);
    benchmark::Shutdown();
    return 0;
}
