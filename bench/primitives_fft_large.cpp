// Real FFT of 2^18 to 2^22 samples, where class 5 leaves its in-cache path for
// the large one, against FFTW in single precision (FFTW_MEASURE, planning
// outside the timing), forward and inverse, out of place (as the convolution
// engine runs it) and in place. After the runs a table gives class 5's time as
// a ratio to FFTW's; on a busy machine run with --benchmark_repetitions=5, and
// the table takes the medians.
//
// Runs that overwrite their own input keep transforming what the previous run
// left: values only grow, and the SSE units take every non-denormal value at
// the same speed.

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "primitives/dispatch/dispatch.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/real_fft.h"
#include "primitives/memory/memory.h"

namespace {

constexpr int kFirstOrder = 18;
constexpr int kLastOrder = 22;

enum class Direction { Forward, Inverse };
enum class Mode { OutOfPlace, InPlace };

const char* nameOf(Direction d) { return d == Direction::Forward ? "forward" : "inverse"; }
const char* nameOf(Mode m) { return m == Mode::InPlace ? "in-place" : "out-of-place"; }

std::string keyOf(const std::string& who, Direction d, Mode m, int order)
{
    return who + "/" + nameOf(d) + "/" + nameOf(m) + "/2^" + std::to_string(order);
}

void fillRandom(float* p, int n)
{
    std::mt19937 engine(12345);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (int i = 0; i < n; ++i)
        p[i] = uniform(engine);
}

// Class 5's transform with the spec, the work buffer and both arrays allocated
// before the timing, and no scaling.
void runClass5(benchmark::State& state, Direction direction, Mode mode, int order)
{
    const int n = 1 << order;
    dspCpuClass.store(dspCpuSse41);
    dspRealFftSpec* spec = nullptr;
    if (dspRealFftCreate(&spec, order, dspFftScaleNone, 1) != dspOk) {
        state.SkipWithError("no spec for this order");
        dspCpuClass.store(dspCpuGeneric);
        return;
    }
    int bufferBytes = 0;
    dspRealFftBufferSize(spec, &bufferBytes);
    void* buffer = bufferBytes > 0 ? dspAllocBytes(bufferBytes) : nullptr;
    float* src = dspAllocFloats(n);
    float* dst = mode == Mode::InPlace ? src : dspAllocFloats(n);
    fillRandom(src, n);
    for (auto _ : state) {
        if (direction == Direction::Forward)
            dspRealFftForward(src, dst, spec, buffer);
        else
            dspRealFftInverse(src, dst, spec, buffer);
        benchmark::ClobberMemory();
    }
    if (dst != src)
        dspFree(dst);
    dspFree(src);
    dspFree(buffer);
    dspRealFftFree(spec);
    dspCpuClass.store(dspCpuGeneric);
}

void runFftw(benchmark::State& state, Direction direction, Mode mode, int order)
{
    const int n = 1 << order;
    // In place, the complex side needs N/2 + 1 points.
    float* real = fftwf_alloc_real(n + 2);
    fftwf_complex* complex = mode == Mode::InPlace ? reinterpret_cast<fftwf_complex*>(real)
                                                   : fftwf_alloc_complex(n / 2 + 1);
    fftwf_plan plan = direction == Direction::Forward ? fftwf_plan_dft_r2c_1d(n, real, complex, FFTW_MEASURE)
                                                      : fftwf_plan_dft_c2r_1d(n, complex, real, FFTW_MEASURE);
    fillRandom(direction == Direction::Forward ? real : reinterpret_cast<float*>(complex), n + 2);
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    if (mode == Mode::OutOfPlace)
        fftwf_free(complex);
    fftwf_free(real);
}

void registerAll()
{
    for (Direction direction : {Direction::Forward, Direction::Inverse})
        for (Mode mode : {Mode::OutOfPlace, Mode::InPlace})
            for (int order = kFirstOrder; order <= kLastOrder; ++order) {
                benchmark::RegisterBenchmark(keyOf("fftw", direction, mode, order).c_str(), runFftw, direction,
                                             mode, order)
                    ->Unit(benchmark::kMillisecond);
                benchmark::RegisterBenchmark(keyOf("class5", direction, mode, order).c_str(), runClass5, direction,
                                             mode, order)
                    ->Unit(benchmark::kMillisecond);
            }
}

// Keeps every benchmark's time per iteration by name for the ratio table (the
// median when the runs are repeated).
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (!run.error_occurred && (run.run_type == Run::RT_Iteration || run.aggregate_name == "median"))
                times[run.run_name.str()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

void printRatios(const std::map<std::string, double>& times)
{
    std::printf("\nClass 5 time relative to FFTW (below 1: faster than FFTW)\n");
    std::printf("%-8s %-13s %5s %8s\n", "", "", "N", "class5");
    for (Direction direction : {Direction::Forward, Direction::Inverse})
        for (Mode mode : {Mode::OutOfPlace, Mode::InPlace})
            for (int order = kFirstOrder; order <= kLastOrder; ++order) {
                const auto fftw = times.find(keyOf("fftw", direction, mode, order));
                const auto ours = times.find(keyOf("class5", direction, mode, order));
                if (fftw == times.end() || ours == times.end())
                    continue;
                std::printf("%-8s %-13s 2^%-3d %8.2f\n", nameOf(direction), nameOf(mode), order,
                            ours->second / fftw->second);
            }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    registerAll();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter.times);
    benchmark::Shutdown();
    return 0;
}
