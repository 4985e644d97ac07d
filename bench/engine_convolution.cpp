// CPU time per second of 48 kHz audio through an IR-multi matrix (N 2048,
// B 512): the engine, a uniformly partitioned overlap-save of the same
// partition written here with FFTW, and zita-convolver with the same minimum
// partition. Process CPU time counts zita's own worker threads too.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>
#include <fftw3.h>
#include <sched.h>
#include <sndfile.h>
#include <zita-convolver.h>

#include "engine/filter.h"

namespace {

constexpr int kRate = 48000;
constexpr int kFft = 2048;
constexpr int kHop = kFft / 2;
constexpr int kBlock = 512;
constexpr int kBlocksPerSecond = (kRate + kBlock - 1) / kBlock;

struct Matrix {
    int size;       // inputs = outputs
    int irSamples;  // per cell
    // irs[o * size + i]
    std::vector<std::vector<float>> irs;
};

Matrix makeMatrix(int size, int seconds)
{
    Matrix m{size, seconds * kRate, {}};
    std::mt19937 random(1);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (int c = 0; c < size * size; ++c) {
        std::vector<float> ir(static_cast<std::size_t>(m.irSamples));
        for (int t = 0; t < m.irSamples; ++t)
            ir[t] = uniform(random) * std::exp(-6.0f * t / m.irSamples);
        m.irs.push_back(std::move(ir));
    }
    return m;
}

std::vector<float> inputBlock()
{
    std::vector<float> block(kBlock);
    std::mt19937 random(2);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (auto& sample : block)
        sample = uniform(random);
    return block;
}

// The engine, loaded from one IR-multi file as the editor would.
void Engine(benchmark::State& state, int size, int seconds)
{
    const Matrix m = makeMatrix(size, seconds);
    const juce::File folder = juce::File::createTempFile("brondil-bench");
    folder.createDirectory();
    const juce::File wav = folder.getChildFile("matrix.wav");
    {
        SF_INFO info{};
        info.samplerate = kRate;
        info.channels = size;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open(wav.getFullPathName().toRawUTF8(), SFM_WRITE, &info);
        std::vector<float> frame(static_cast<std::size_t>(size));
        for (int i = 0; i < size; ++i)
            for (int t = 0; t < m.irSamples; ++t) {
                for (int o = 0; o < size; ++o)
                    frame[o] = m.irs[o * size + i][t];
                sf_writef_float(file, frame.data(), 1);
            }
        sf_close(file);
    }
    BRFilter filter(folder.getChildFile("Brondil.so"), [size](const BRSettings&) {
        return BRChannelCounts{size, size};
    });
    filter.settings.fftSize = kFft;
    filter.settings.zeroLatency = 0;
    filter.prepareToPlay(kRate, kBlock);
    filter.setWorkingMode(BRWorkingMode::irMulti);
    if (!filter.loadMultichannelIrFile(wav.getFullPathName()) || !filter.allCellsLoaded())
        state.SkipWithError("the matrix did not load");

    const std::vector<float> block = inputBlock();
    juce::AudioBuffer<float> buffer(size, kBlock);
    juce::MidiBuffer midi;
    for (auto _ : state)
        for (int b = 0; b < kBlocksPerSecond; ++b) {
            for (int c = 0; c < size; ++c)
                buffer.copyFrom(c, 0, block.data(), kBlock);
            const juce::ScopedLock lock(filter.getCallbackLock());
            filter.processBlock(buffer, midi);
            benchmark::DoNotOptimize(buffer.getReadPointer(0));
        }
    folder.deleteRecursively();
}

// The same algorithm on FFTW: hops of H gathered from blocks of B, P spectra
// per cell, a history of P input spectra, one inverse transform per output.
class FftwOverlapSave {
public:
    explicit FftwOverlapSave(const Matrix& m)
        : size(m.size), partitions((m.irSamples + kHop - 1) / kHop), frames(size, std::vector<float>(kFft)),
          history(size, Spectra(static_cast<std::size_t>(partitions) * kStride)),
          cells(static_cast<std::size_t>(size) * size, Spectra(static_cast<std::size_t>(partitions) * kStride)),
          sum(kBins), results(size, std::vector<float>(kFft)), scratch(kFft)
    {
        forward = fftwf_plan_dft_r2c_1d(kFft, scratch.data(), fftw(sum.data()), FFTW_MEASURE);
        inverse = fftwf_plan_dft_c2r_1d(kFft, fftw(sum.data()), scratch.data(), FFTW_MEASURE);
        for (std::size_t c = 0; c < cells.size(); ++c)
            for (int p = 0; p < partitions; ++p) {
                std::fill(scratch.begin(), scratch.end(), 0.0f);
                const int count = std::min(kHop, m.irSamples - p * kHop);
                std::copy_n(m.irs[c].begin() + p * kHop, count, scratch.begin());
                fftwf_execute_dft_r2c(forward, scratch.data(), fftw(cells[c].data() + p * kStride));
            }
    }
    ~FftwOverlapSave()
    {
        fftwf_destroy_plan(forward);
        fftwf_destroy_plan(inverse);
    }

    // In place: channel c of blocks is input c in, output c out.
    void process(std::vector<float*>& blocks)
    {
        for (int i = 0; i < size; ++i)
            std::copy_n(blocks[i], kBlock, frames[i].begin() + kHop + fill);
        fill += kBlock;
        if (fill == kHop) {
            hop();
            fill = 0;
        }
        const int from = fill == 0 ? kHop : kHop + fill;
        for (int o = 0; o < size; ++o)
            std::copy_n(results[o].begin() + from, kBlock, blocks[o]);
    }

private:
    static constexpr int kBins = kFft / 2 + 1;
    // Spectra start 16 bytes apart, the alignment FFTW planned for.
    static constexpr int kStride = kBins + 1;
    using Spectra = std::vector<std::complex<float>>;
    static fftwf_complex* fftw(std::complex<float>* p) { return reinterpret_cast<fftwf_complex*>(p); }

    void hop()
    {
        for (int i = 0; i < size; ++i) {
            fftwf_execute_dft_r2c(forward, frames[i].data(), fftw(history[i].data() + slot * kStride));
            std::copy_n(frames[i].begin() + kHop, kHop, frames[i].begin());
        }
        for (int o = 0; o < size; ++o) {
            std::fill(sum.begin(), sum.end(), std::complex<float>());
            for (int i = 0; i < size; ++i)
                for (int p = 0; p < partitions; ++p) {
                    const std::complex<float>* x = history[i].data() + ((slot + p) % partitions) * kStride;
                    const std::complex<float>* h = cells[o * size + i].data() + p * kStride;
                    // Written out: std::complex's product checks for NaN on every bin.
                    for (int k = 0; k < kBins; ++k) {
                        const float re = x[k].real() * h[k].real() - x[k].imag() * h[k].imag();
                        const float im = x[k].real() * h[k].imag() + x[k].imag() * h[k].real();
                        sum[k] += std::complex<float>(re, im);
                    }
                }
            fftwf_execute_dft_c2r(inverse, fftw(sum.data()), results[o].data());
            for (auto& sample : results[o])
                sample *= 1.0f / kFft;
        }
        slot = slot == 0 ? partitions - 1 : slot - 1;
    }

    int size;
    int partitions;
    int fill = 0;
    int slot = 0;
    std::vector<std::vector<float>> frames;
    std::vector<Spectra> history;
    std::vector<Spectra> cells;
    Spectra sum;
    std::vector<std::vector<float>> results;
    std::vector<float> scratch;
    fftwf_plan forward;
    fftwf_plan inverse;
};

void Fftw(benchmark::State& state, int size, int seconds)
{
    const Matrix m = makeMatrix(size, seconds);
    FftwOverlapSave convolver(m);
    const std::vector<float> block = inputBlock();
    std::vector<std::vector<float>> channels(size, std::vector<float>(kBlock));
    std::vector<float*> pointers;
    for (auto& channel : channels)
        pointers.push_back(channel.data());
    for (auto _ : state)
        for (int b = 0; b < kBlocksPerSecond; ++b) {
            for (auto& channel : channels)
                std::copy(block.begin(), block.end(), channel.begin());
            convolver.process(pointers);
            benchmark::DoNotOptimize(channels[0].data());
        }
}

// zita-convolver in its own partitioning from the same minimum partition.
void Zita(benchmark::State& state, int size, int seconds)
{
    Matrix m = makeMatrix(size, seconds);
    Convproc convolver;
    if (convolver.configure(size, size, m.irSamples, kBlock, kHop, Convproc::MAXPART, 0.0f) != 0)
        state.SkipWithError("zita-convolver refused the configuration");
    for (int o = 0; o < size; ++o)
        for (int i = 0; i < size; ++i)
            convolver.impdata_create(i, o, 1, m.irs[o * size + i].data(), 0, m.irSamples);
    convolver.start_process(0, SCHED_OTHER);
    const std::vector<float> block = inputBlock();
    for (auto _ : state)
        for (int b = 0; b < kBlocksPerSecond; ++b) {
            for (int i = 0; i < size; ++i)
                std::copy(block.begin(), block.end(), convolver.inpdata(i));
            convolver.process(true);
            benchmark::DoNotOptimize(convolver.outdata(0));
        }
    convolver.stop_process();
    while (!convolver.check_stop())
        sched_yield();
    convolver.cleanup();
}

}  // namespace

BENCHMARK_CAPTURE(Engine, TwoByTwoTwoSeconds, 2, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Fftw, TwoByTwoTwoSeconds, 2, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Zita, TwoByTwoTwoSeconds, 2, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Engine, EightByEightTwoSeconds, 8, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Fftw, EightByEightTwoSeconds, 8, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Zita, EightByEightTwoSeconds, 8, 2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Engine, TwoByTwoEightSeconds, 2, 8)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Fftw, TwoByTwoEightSeconds, 2, 8)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(Zita, TwoByTwoEightSeconds, 2, 8)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

BENCHMARK_MAIN();
