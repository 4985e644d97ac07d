// Element-wise arithmetic and the spectrum product: the class-5 bodies against
// plain loops (compiled for the x86-64 baseline), and the generic spectrum
// product against class 5. Sizes from 256 to 1M floats; arrays from dspAllocFloats.
#include <benchmark/benchmark.h>

#include "primitives/dispatch/dispatch.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/arithmetic.h"
#include "primitives/vector/spectrum_product.h"

namespace {

// Aligned floats near 1: no denormals, and scaling by 0.5 then 2 never drifts.
class Floats {
public:
    explicit Floats(int n, float base) : data(dspAllocFloats(n))
    {
        for (int i = 0; i < n; ++i)
            data[i] = base + 0.001f * static_cast<float>(i % 97);
    }
    ~Floats() { dspFree(data); }
    Floats(const Floats&) = delete;
    Floats& operator=(const Floats&) = delete;
    float* data;
};

bool runClass(benchmark::State& state, int cpuClass)
{
    if (!__builtin_cpu_supports("sse4.1")) {
        state.SkipWithError("this processor cannot run class 5");
        return false;
    }
    dspCpuClass.store(cpuClass, std::memory_order_relaxed);
    return true;
}

void countFloats(benchmark::State& state, int arrays)
{
    state.SetBytesProcessed(state.iterations() * state.range(0) * 4 * arrays);
}

__attribute__((noinline)) void plainAdd(const float* src, float* dst, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] += src[i];
}

__attribute__((noinline)) void plainScale(float value, float* data, int n)
{
    for (int i = 0; i < n; ++i)
        data[i] *= value;
}

__attribute__((noinline)) void plainSpectrumProduct(const float* a, const float* b, float* dst, int n)
{
    dst[0] = a[0] * b[0];
    dst[1] = a[1] * b[1];
    for (int k = 2; k < n; k += 2) {
        const float ar = a[k], ai = a[k + 1], br = b[k], bi = b[k + 1];
        dst[k] = ar * br - ai * bi;
        dst[k + 1] = ar * bi + ai * br;
    }
}

void AddPlainLoop(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    Floats src(n, 0.0f), dst(n, 1.0f);
    for (auto _ : state) {
        plainAdd(src.data, dst.data, n);
        benchmark::ClobberMemory();
    }
    countFloats(state, 2);
}

void AddClass5(benchmark::State& state)
{
    if (!runClass(state, dspCpuSse41))
        return;
    const int n = static_cast<int>(state.range(0));
    Floats src(n, 0.0f), dst(n, 1.0f);
    for (auto _ : state) {
        dspAddInPlace(src.data, dst.data, n);
        benchmark::ClobberMemory();
    }
    countFloats(state, 2);
}

void ScalePlainLoop(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    Floats data(n, 1.0f);
    float half = 0.5f, two = 2.0f;
    benchmark::DoNotOptimize(half);
    benchmark::DoNotOptimize(two);
    for (auto _ : state) {
        plainScale(half, data.data, n);
        plainScale(two, data.data, n);
        benchmark::ClobberMemory();
    }
    countFloats(state, 2);  // two passes over one array
}

void ScaleClass5(benchmark::State& state)
{
    if (!runClass(state, dspCpuSse41))
        return;
    const int n = static_cast<int>(state.range(0));
    Floats data(n, 1.0f);
    for (auto _ : state) {
        dspMulConstInPlace(0.5f, data.data, n);
        dspMulConstInPlace(2.0f, data.data, n);
        benchmark::ClobberMemory();
    }
    countFloats(state, 2);  // two passes over one array
}

void SpectrumProductPlainLoop(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    Floats a(n, 1.0f), b(n, -0.5f), dst(n, 0.0f);
    for (auto _ : state) {
        plainSpectrumProduct(a.data, b.data, dst.data, n);
        benchmark::ClobberMemory();
    }
    countFloats(state, 3);
}

void SpectrumProductInClass(benchmark::State& state, int cpuClass)
{
    if (cpuClass != dspCpuGeneric && !runClass(state, cpuClass))
        return;
    dspCpuClass.store(cpuClass, std::memory_order_relaxed);
    const int n = static_cast<int>(state.range(0));
    Floats a(n, 1.0f), b(n, -0.5f), dst(n, 0.0f);
    for (auto _ : state) {
        dspMulSpectra(a.data, b.data, dst.data, n);
        benchmark::ClobberMemory();
    }
    countFloats(state, 3);
}

void SpectrumProductClass5(benchmark::State& state) { SpectrumProductInClass(state, dspCpuSse41); }
void SpectrumProductClass0(benchmark::State& state) { SpectrumProductInClass(state, dspCpuGeneric); }

}  // namespace

BENCHMARK(AddPlainLoop)->RangeMultiplier(4)->Range(256, 1 << 20);
BENCHMARK(AddClass5)->RangeMultiplier(4)->Range(256, 1 << 20);
BENCHMARK(ScalePlainLoop)->RangeMultiplier(4)->Range(256, 1 << 20);
BENCHMARK(ScaleClass5)->RangeMultiplier(4)->Range(256, 1 << 20);
BENCHMARK(SpectrumProductPlainLoop)->RangeMultiplier(4)->Range(256, 1 << 20);
BENCHMARK(SpectrumProductClass5)->RangeMultiplier(4)->Range(256, 1 << 20);
BENCHMARK(SpectrumProductClass0)->RangeMultiplier(4)->Range(256, 1 << 20);

BENCHMARK_MAIN();
