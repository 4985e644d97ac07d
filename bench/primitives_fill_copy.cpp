// Class 5 fill and copy against the C library's memcpy and memset and a plain
// element loop, for 256 to 1M floats. Buffers stay the same between runs, so the
// smaller sizes run from the caches.
#include <cstring>

#include <benchmark/benchmark.h>

#include "primitives/dispatch/dispatch.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/fill_copy.h"

namespace {

class Buffers {
public:
    explicit Buffers(int len) : len(len), src(dspAllocFloats(len)), dst(dspAllocFloats(len))
    {
        for (int i = 0; i < len; ++i) {
            src[i] = static_cast<float>(i);
            dst[i] = 0.0f;
        }
    }
    ~Buffers()
    {
        dspFree(src);
        dspFree(dst);
    }
    Buffers(const Buffers&) = delete;
    Buffers& operator=(const Buffers&) = delete;

    const int len;
    float* const src;
    float* const dst;
};

void countBytes(benchmark::State& state, int len)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * len *
                            static_cast<std::int64_t>(sizeof(float)));
}

// The loops stay loops: the compiler would otherwise call memcpy and memset itself.
__attribute__((optimize("no-tree-loop-distribute-patterns"))) void copyLoop(const float* src, float* dst, int len)
{
    for (int i = 0; i < len; ++i)
        dst[i] = src[i];
}

__attribute__((optimize("no-tree-loop-distribute-patterns"))) void zeroLoop(float* dst, int len)
{
    for (int i = 0; i < len; ++i)
        dst[i] = 0.0f;
}

void BM_CopySse41(benchmark::State& state)
{
    Buffers b(static_cast<int>(state.range(0)));
    dspCpuClass.store(dspCpuSse41);
    for (auto _ : state) {
        dspCopy(b.src, b.dst, b.len);
        benchmark::ClobberMemory();
    }
    countBytes(state, b.len);
}

void BM_Memcpy(benchmark::State& state)
{
    Buffers b(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::memcpy(b.dst, b.src, sizeof(float) * static_cast<std::size_t>(b.len));
        benchmark::ClobberMemory();
    }
    countBytes(state, b.len);
}

void BM_CopyLoop(benchmark::State& state)
{
    Buffers b(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        copyLoop(b.src, b.dst, b.len);
        benchmark::ClobberMemory();
    }
    countBytes(state, b.len);
}

void BM_ZeroSse41(benchmark::State& state)
{
    Buffers b(static_cast<int>(state.range(0)));
    dspCpuClass.store(dspCpuSse41);
    for (auto _ : state) {
        dspZero(b.dst, b.len);
        benchmark::ClobberMemory();
    }
    countBytes(state, b.len);
}

void BM_Memset(benchmark::State& state)
{
    Buffers b(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::memset(b.dst, 0, sizeof(float) * static_cast<std::size_t>(b.len));
        benchmark::ClobberMemory();
    }
    countBytes(state, b.len);
}

void BM_ZeroLoop(benchmark::State& state)
{
    Buffers b(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        zeroLoop(b.dst, b.len);
        benchmark::ClobberMemory();
    }
    countBytes(state, b.len);
}

constexpr int kShortest = 256;
constexpr int kLongest = 1 << 20;

BENCHMARK(BM_CopySse41)->RangeMultiplier(4)->Range(kShortest, kLongest);
BENCHMARK(BM_Memcpy)->RangeMultiplier(4)->Range(kShortest, kLongest);
BENCHMARK(BM_CopyLoop)->RangeMultiplier(4)->Range(kShortest, kLongest);
BENCHMARK(BM_ZeroSse41)->RangeMultiplier(4)->Range(kShortest, kLongest);
BENCHMARK(BM_Memset)->RangeMultiplier(4)->Range(kShortest, kLongest);
BENCHMARK(BM_ZeroLoop)->RangeMultiplier(4)->Range(kShortest, kLongest);

}  // namespace

BENCHMARK_MAIN();
