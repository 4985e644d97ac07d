#pragma once

// The strong peer: uniformly partitioned overlap-save on FFTW's transforms
// (FFTW_MEASURE) with a hand-written SSE multiply-accumulate. Bins 0 … N / 2 − 1
// lie in strips of 8, each row two blocks of four real parts then four
// imaginary parts (the DC bin is an ordinary bin with a zero imaginary part);
// the Nyquist bin, real, has sums of its own. Per strip and output the 8 bins'
// sums stay in four registers across every input and partition and are stored
// once. The cells lie in the order those sums read them: output, strip, input,
// partition. Each input's history of a strip is a double-length ring: the hop's
// spectrum goes into two rows P apart, so the P rows from the newest on are one
// straight stream.

#include <cstdint>
#include <vector>

#include <emmintrin.h>
#include <fftw3.h>

#include "bench/uniform_overlap_save.h"

namespace enginebench {

class StrongUniformReference final : public FftwOverlapSave {
public:
    StrongUniformReference(const Matrix& m, int fftSize, int blockSize)
        : FftwOverlapSave(m, fftSize, blockSize), strips(fftSize / 16)
    {
        history = allocate(std::int64_t{size} * strips * 2 * partitions * kRowFloats);
        cells = allocate(std::int64_t{size} * size * strips * partitions * kRowFloats);
        sums = allocate(std::int64_t{size} * strips * kRowFloats);
        nyquistHistory.assign(static_cast<std::size_t>(size * 2 * partitions), 0.0f);
        nyquistCells.assign(static_cast<std::size_t>(size * size * partitions), 0.0f);
        nyquistSums.assign(static_cast<std::size_t>(size), 0.0f);
        transformEachPartition(m, [this](int o, int i, int p) {
            for (int s = 0; s < strips; ++s)
                scatter(s, cellRow(o, s, i) + std::int64_t{p} * kRowFloats);
            nyquistCells[static_cast<std::size_t>((o * size + i) * partitions + p)] = bins[h][0];
        });
    }
    ~StrongUniformReference() override
    {
        fftwf_free(sums);
        fftwf_free(cells);
        fftwf_free(history);
    }

private:
    static constexpr int kRowFloats = 16;

    static float* allocate(std::int64_t count)
    {
        auto* p = static_cast<float*>(fftwf_malloc(static_cast<std::size_t>(count) * sizeof(float)));
        std::fill_n(p, count, 0.0f);
        return p;
    }

    // Partition 0 of cell [o][i] in strip s; the partitions follow it.
    float* cellRow(int o, int s, int i) const
    {
        return cells + ((std::int64_t{o} * strips + s) * size + i) * partitions * kRowFloats;
    }

    // Row 0 of input i's double-length ring in strip s.
    float* historyRow(int i, int s) const
    {
        return history + (std::int64_t{i} * strips + s) * 2 * partitions * kRowFloats;
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
            float* ring = historyRow(input, s);
            scatter(s, ring + std::int64_t{row} * kRowFloats);
            scatter(s, ring + std::int64_t{row + partitions} * kRowFloats);
        }
        float* nyquist = nyquistHistory.data() + std::int64_t{input} * 2 * partitions;
        nyquist[row] = nyquist[row + partitions] = bins[h][0];
    }

    // One strip's sums of one output over rows of x and y, in registers.
    static inline void stripSums(const float* x, const float* y, int rows, __m128& re0, __m128& im0, __m128& re1,
                                 __m128& im1)
    {
        for (int r = 0; r < rows; ++r, x += kRowFloats, y += kRowFloats) {
            const __m128 xr0 = _mm_load_ps(x), xi0 = _mm_load_ps(x + 4), xr1 = _mm_load_ps(x + 8),
                         xi1 = _mm_load_ps(x + 12);
            const __m128 yr0 = _mm_load_ps(y), yi0 = _mm_load_ps(y + 4), yr1 = _mm_load_ps(y + 8),
                         yi1 = _mm_load_ps(y + 12);
            re0 = _mm_add_ps(re0, _mm_sub_ps(_mm_mul_ps(xr0, yr0), _mm_mul_ps(xi0, yi0)));
            im0 = _mm_add_ps(im0, _mm_add_ps(_mm_mul_ps(xr0, yi0), _mm_mul_ps(xi0, yr0)));
            re1 = _mm_add_ps(re1, _mm_sub_ps(_mm_mul_ps(xr1, yr1), _mm_mul_ps(xi1, yi1)));
            im1 = _mm_add_ps(im1, _mm_add_ps(_mm_mul_ps(xr1, yi1), _mm_mul_ps(xi1, yr1)));
        }
    }

    // Partition d meets row newestRow + d of the double-length ring.
    void multiplyAccumulate(int newestRow) override
    {
        for (int s = 0; s < strips; ++s)
            for (int o = 0; o < size; ++o) {
                __m128 re0 = _mm_setzero_ps(), im0 = re0, re1 = re0, im1 = re0;
                for (int i = 0; i < size; ++i)
                    stripSums(historyRow(i, s) + std::int64_t{newestRow} * kRowFloats, cellRow(o, s, i), partitions,
                              re0, im0, re1, im1);
                float* sum = sums + (std::int64_t{o} * strips + s) * kRowFloats;
                _mm_store_ps(sum, re0);
                _mm_store_ps(sum + 4, im0);
                _mm_store_ps(sum + 8, re1);
                _mm_store_ps(sum + 12, im1);
            }
        for (int o = 0; o < size; ++o) {
            float sum = 0.0f;
            for (int i = 0; i < size; ++i) {
                const float* x = nyquistHistory.data() + std::int64_t{i} * 2 * partitions + newestRow;
                const float* y = nyquistCells.data() + (std::int64_t{o} * size + i) * partitions;
                for (int d = 0; d < partitions; ++d)
                    sum += x[d] * y[d];
            }
            nyquistSums[static_cast<std::size_t>(o)] = sum;
        }
    }

    void inverse(int output, float* result) override
    {
        const float* sum = sums + std::int64_t{output} * strips * kRowFloats;
        for (int k = 0; k < h; ++k) {
            const float* row = sum + (k / 8) * kRowFloats;
            bins[k][0] = row[8 * (k % 8 / 4) + k % 4];
            bins[k][1] = row[8 * (k % 8 / 4) + 4 + k % 4];
        }
        bins[h][0] = nyquistSums[static_cast<std::size_t>(output)];
        bins[h][1] = 0.0f;
        fftwf_execute(inversePlan);
        const float scale = 1.0f / static_cast<float>(n);
        for (int t = 0; t < n; ++t)
            result[t] = real[t] * scale;
    }

    const int strips;          // N / 16
    float* history = nullptr;  // per input and strip, 2P rows
    float* cells = nullptr;    // per output, strip and input, P rows
    float* sums = nullptr;     // per output, one row per strip
    std::vector<float> nyquistHistory;
    std::vector<float> nyquistCells;
    std::vector<float> nyquistSums;
};

}  // namespace enginebench
