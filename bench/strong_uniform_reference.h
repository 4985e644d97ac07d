#pragma once

// The strong peer: uniformly partitioned overlap-save on FFTW's transforms
// (FFTW_MEASURE) with a hand-written SSE multiply-accumulate. Bins 0 … N / 2 − 1
// lie in strips of 8, each row one cache line: two blocks of four real parts then
// four imaginary parts (the DC bin is an ordinary bin with a zero imaginary
// part); the Nyquist bin, real, has sums of its own.
//
// A hop runs strip by strip, then input by input, then output by output: each
// input's rows of a strip come from memory once and serve every output from the
// first-level cache, while every output's sums of the strip (64 bytes each) stay
// there too. The cells lie in exactly that order (strip, input, output,
// partition), so a hop reads them as one straight stream. Each input's history
// of a strip is a double-length ring: the hop's spectrum goes into two rows P
// apart, so the P rows from the newest on are one straight stream. The stream
// is prefetched a little ahead, and its arrays lie in huge pages where the
// system grants them, so that one core keeps enough lines in flight.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include <emmintrin.h>
#include <fftw3.h>
#include <sys/mman.h>
#include <xmmintrin.h>

#include "bench/uniform_overlap_save.h"

namespace enginebench {

// Floats of one strip's row: 8 bins, one cache line.
constexpr int kStripRowFloats = 16;
// Rows ahead of the sums that each row's prefetch asks for.
constexpr int kPrefetchRows = 32;

// Pins a loaded value to its register: the compiler may otherwise fold a second
// use into a multiply that reads memory again.
inline __m128 held(__m128 v)
{
    asm("" : "+x"(v));
    return v;
}

// One strip's sums of one output over `rows` rows of x and y (aligned): four
// independent chains in registers, each operand loaded once.
inline void addStripProducts(const float* x, const float* y, int rows, float* sum)
{
    __m128 re0 = _mm_load_ps(sum), im0 = _mm_load_ps(sum + 4), re1 = _mm_load_ps(sum + 8), im1 = _mm_load_ps(sum + 12);
    for (int r = 0; r < rows; ++r, x += kStripRowFloats, y += kStripRowFloats) {
        _mm_prefetch(reinterpret_cast<const char*>(y + kPrefetchRows * kStripRowFloats), _MM_HINT_T0);
        const __m128 xr0 = held(_mm_load_ps(x)), xi0 = held(_mm_load_ps(x + 4)), xr1 = held(_mm_load_ps(x + 8)),
                     xi1 = held(_mm_load_ps(x + 12));
        const __m128 yr0 = held(_mm_load_ps(y)), yi0 = held(_mm_load_ps(y + 4)), yr1 = held(_mm_load_ps(y + 8)),
                     yi1 = held(_mm_load_ps(y + 12));
        re0 = _mm_add_ps(re0, _mm_sub_ps(_mm_mul_ps(xr0, yr0), _mm_mul_ps(xi0, yi0)));
        im0 = _mm_add_ps(im0, _mm_add_ps(_mm_mul_ps(xr0, yi0), _mm_mul_ps(xi0, yr0)));
        re1 = _mm_add_ps(re1, _mm_sub_ps(_mm_mul_ps(xr1, yr1), _mm_mul_ps(xi1, yi1)));
        im1 = _mm_add_ps(im1, _mm_add_ps(_mm_mul_ps(xr1, yi1), _mm_mul_ps(xi1, yr1)));
    }
    _mm_store_ps(sum, re0);
    _mm_store_ps(sum + 4, im0);
    _mm_store_ps(sum + 8, re1);
    _mm_store_ps(sum + 12, im1);
}

class StrongUniformReference final : public FftwOverlapSave {
public:
    StrongUniformReference(const Matrix& m, int fftSize, int blockSize)
        : FftwOverlapSave(m, fftSize, blockSize), strips(fftSize / 16)
    {
        history = allocate(std::int64_t{strips} * size * 2 * partitions * kRowFloats);
        cells = allocate(std::int64_t{strips} * size * size * partitions * kRowFloats);
        stripSums = allocate(std::int64_t{size} * kRowFloats);
        spectra.assign(static_cast<std::size_t>(size) * h, {0.0f, 0.0f});
        nyquistHistory.assign(static_cast<std::size_t>(size * 2 * partitions), 0.0f);
        nyquistCells.assign(static_cast<std::size_t>(size * size * partitions), 0.0f);
        nyquistSums.assign(static_cast<std::size_t>(size), 0.0f);
        transformEachPartition(m, [this](int o, int i, int p) {
            for (int s = 0; s < strips; ++s)
                scatter(s, cellRows(s, i, o) + std::int64_t{p} * kRowFloats);
            nyquistCells[static_cast<std::size_t>((i * size + o) * partitions + p)] = bins[h][0];
        });
    }

private:
    static constexpr int kRowFloats = kStripRowFloats;

    struct Complex {
        float re;
        float im;
    };

    struct Free {
        void operator()(float* p) const { std::free(p); }
    };
    using Floats = std::unique_ptr<float[], Free>;

    // count zeros, in huge pages where the system grants them.
    static Floats allocate(std::int64_t count)
    {
        constexpr std::size_t kHugePage = std::size_t{2} << 20;
        const std::size_t bytes = (static_cast<std::size_t>(count) * sizeof(float) + kHugePage - 1) & ~(kHugePage - 1);
        Floats p(static_cast<float*>(std::aligned_alloc(kHugePage, bytes)));
        madvise(p.get(), bytes, MADV_HUGEPAGE);
        std::fill_n(p.get(), count, 0.0f);
        return p;
    }

    // Partition 0 of cell [o][i] in strip s; the partitions follow it.
    float* cellRows(int s, int i, int o) const
    {
        return cells.get() + ((std::int64_t{s} * size + i) * size + o) * partitions * kRowFloats;
    }

    // Row 0 of input i's double-length ring in strip s.
    float* historyRing(int s, int i) const
    {
        return history.get() + (std::int64_t{s} * size + i) * 2 * partitions * kRowFloats;
    }

    // FFTW's bins of strip s into the row r.
    void scatter(int s, float* r) const
    {
        for (int k = 0; k < 8; ++k) {
            r[8 * (k / 4) + k % 4] = bins[8 * s + k][0];
            r[8 * (k / 4) + 4 + k % 4] = bins[8 * s + k][1];
        }
    }

    void forward(int input, const float* frame, int row) override
    {
        std::copy_n(frame, n, real);
        fftwf_execute(forwardPlan);
        for (int s = 0; s < strips; ++s) {
            float* ring = historyRing(s, input);
            scatter(s, ring + std::int64_t{row} * kRowFloats);
            scatter(s, ring + std::int64_t{row + partitions} * kRowFloats);
        }
        float* nyquist = nyquistHistory.data() + std::int64_t{input} * 2 * partitions;
        nyquist[row] = nyquist[row + partitions] = bins[h][0];
    }

    // Partition d meets row newestRow + d of the double-length ring.
    void multiplyAccumulate(int newestRow) override
    {
        const float* cell = cells.get();
        for (int s = 0; s < strips; ++s) {
            std::fill_n(stripSums.get(), size * kRowFloats, 0.0f);
            for (int i = 0; i < size; ++i) {
                const float* x = historyRing(s, i) + std::int64_t{newestRow} * kRowFloats;
                for (int o = 0; o < size; ++o, cell += partitions * kRowFloats)
                    addStripProducts(x, cell, partitions, stripSums.get() + o * kRowFloats);
            }
            for (int o = 0; o < size; ++o)
                gather(s, stripSums.get() + o * kRowFloats, spectra.data() + std::int64_t{o} * h);
        }
        std::fill(nyquistSums.begin(), nyquistSums.end(), 0.0f);
        const float* nyquistCell = nyquistCells.data();
        for (int i = 0; i < size; ++i) {
            const float* x = nyquistHistory.data() + std::int64_t{i} * 2 * partitions + newestRow;
            for (int o = 0; o < size; ++o, nyquistCell += partitions)
                for (int d = 0; d < partitions; ++d)
                    nyquistSums[static_cast<std::size_t>(o)] += x[d] * nyquistCell[d];
        }
    }

    // The row r of strip s back to FFTW's bins of one output's spectrum.
    static void gather(int s, const float* r, Complex* spectrum)
    {
        for (int k = 0; k < 8; ++k)
            spectrum[8 * s + k] = {r[8 * (k / 4) + k % 4], r[8 * (k / 4) + 4 + k % 4]};
    }

    void inverse(int output, float* result) override
    {
        const Complex* spectrum = spectra.data() + std::int64_t{output} * h;
        for (int k = 0; k < h; ++k) {
            bins[k][0] = spectrum[k].re;
            bins[k][1] = spectrum[k].im;
        }
        bins[h][0] = nyquistSums[static_cast<std::size_t>(output)];
        bins[h][1] = 0.0f;
        fftwf_execute(inversePlan);
        const float scale = 1.0f / static_cast<float>(n);
        for (int t = 0; t < n; ++t)
            result[t] = real[t] * scale;
    }

    const int strips;              // N / 16
    Floats history;                // per strip and input, 2P rows
    Floats cells;                  // per strip, input and output, P rows
    Floats stripSums;              // per output, one strip's row
    std::vector<Complex> spectra;  // per output, bins 0 … H − 1
    std::vector<float> nyquistHistory;
    std::vector<float> nyquistCells;
    std::vector<float> nyquistSums;
};

}  // namespace enginebench
