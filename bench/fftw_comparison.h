#pragma once

// What the real-FFT benchmark programs share: our transform under one class
// and FFTW's in single precision (FFTW_MEASURE, planning outside the timing),
// forward and inverse, out of place and in place, and a console reporter that
// keeps every run's time for the ratio table.
//
// Runs that overwrite their own input (in place, and FFTW's out-of-place
// inverse, which destroys its input) keep transforming what the previous run
// left: values only grow (to infinities and NaNs at worst), and the SSE units
// take every non-denormal value at the same speed.

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "primitives/dispatch/dispatch.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/real_fft.h"
#include "primitives/memory/memory.h"

namespace fftbench {

enum class Direction {
    Forward,
    Inverse
};
enum class Mode {
    OutOfPlace,
    InPlace
};

constexpr Direction kDirections[] = {Direction::Forward, Direction::Inverse};
constexpr Mode kModes[] = {Mode::OutOfPlace, Mode::InPlace};

inline const char* nameOf(Direction d) { return d == Direction::Forward ? "forward" : "inverse"; }
inline const char* nameOf(Mode m) { return m == Mode::InPlace ? "in-place" : "out-of-place"; }

inline std::string classLabel(int cpuClass) { return "class" + std::to_string(cpuClass); }

inline void fillRandom(float* p, int n)
{
    std::mt19937 engine(12345);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (int i = 0; i < n; ++i)
        p[i] = uniform(engine);
}

// One class's transform, with the FFT record, the work buffer and both arrays
// allocated before the timing and no scaling (as the convolution engine runs it).
inline void runOurs(benchmark::State& state, int cpuClass, Direction direction, Mode mode, int order)
{
    const int n = 1 << order;
    dspCpuClass.store(cpuClass);
    dspRealFftSpec* spec = nullptr;
    if (dspRealFftCreate(&spec, order, dspFftScaleNone, 1) != dspOk) {
        state.SkipWithError("no FFT record for this order and class");
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

inline void runFftw(benchmark::State& state, Direction direction, Mode mode, int order)
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

// Time per iteration of every run, by benchmark name.
using RunTimes = std::map<std::string, double>;

// Keeps every benchmark's time for the ratio table (the median when the runs are repeated).
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (!run.error_occurred && (run.run_type == Run::RT_Iteration || run.aggregate_name == "median"))
                times[run.run_name.str()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    RunTimes times;
};

// The whole program: registers the runs, reports them and prints the ratio table.
inline int runAndPrintRatios(int argc, char** argv, void (*registerAll)(), void (*printRatios)(const RunTimes&))
{
    benchmark::Initialize(&argc, argv);
    registerAll();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter.times);
    benchmark::Shutdown();
    return 0;
}

}  // namespace fftbench
