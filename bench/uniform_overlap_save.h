#pragma once

// Uniformly partitioned overlap-save convolutions of a square IR matrix written
// here, as the engine's peers: the engine's algorithm before its sums went one
// pass over split spectra ("today"), and a strong reference on FFTW with a
// one-pass multiply-accumulate over split arrays, chunk by chunk of bins, in
// either of two loop orders.
// Calls are blocks of B samples, B dividing the hop.

#include <algorithm>
#include <cstdint>
#include <vector>

#include <fftw3.h>

#include "primitives/dsp.h"

namespace enginebench {

struct Matrix {
    int size;                             // inputs = outputs
    int irSamples;                        // per cell
    std::vector<std::vector<float>> irs;  // irs[o * size + i]
};

// Frames, hops and output blocks; the subclasses hold the spectra. The history
// is a ring of P rows per input: the hop d hops ago lies in row newestRow + d
// (mod P) and meets partition d.
class UniformOverlapSave {
public:
    UniformOverlapSave(const Matrix& m, int fftSize, int blockSize)
        : size(m.size), n(fftSize), h(fftSize / 2), b(blockSize), partitions((m.irSamples + h - 1) / h),
          frames(static_cast<std::size_t>(size), std::vector<float>(static_cast<std::size_t>(n))),
          results(static_cast<std::size_t>(size), std::vector<float>(static_cast<std::size_t>(n)))
    {
    }
    virtual ~UniformOverlapSave() = default;
    UniformOverlapSave(const UniformOverlapSave&) = delete;
    UniformOverlapSave& operator=(const UniformOverlapSave&) = delete;

    // In place: channel c holds input c on entry, output c on return.
    void process(float* const* channels)
    {
        for (int i = 0; i < size; ++i)
            std::copy_n(channels[i], b, frames[i].begin() + h + fill);
        fill += b;
        if (fill == h) {
            newestRow = newestRow == 0 ? partitions - 1 : newestRow - 1;
            for (int i = 0; i < size; ++i) {
                forward(i, frames[i].data(), newestRow);
                std::copy(frames[i].begin() + h, frames[i].end(), frames[i].begin());
            }
            multiplyAccumulate(newestRow);
            for (int o = 0; o < size; ++o)
                inverse(o, results[o].data());
            fill = 0;
        }
        const int from = h + (fill == 0 ? 0 : fill);
        for (int o = 0; o < size; ++o)
            std::copy_n(results[o].begin() + from, b, channels[o]);
    }

protected:
    // The spectrum of N frame samples into history row `row` of input i.
    virtual void forward(int input, const float* frame, int row) = 0;
    // Every output's sum over its cells and partitions.
    virtual void multiplyAccumulate(int newestRow) = 0;
    // Output o's sum back to N samples, scaled by 1 / N.
    virtual void inverse(int output, float* result) = 0;

    // The hop of IR samples p·H … that partition p of a cell transforms.
    std::vector<float> partitionSamples(const std::vector<float>& ir, int p) const
    {
        std::vector<float> piece(static_cast<std::size_t>(n), 0.0f);
        const int begin = p * h;
        const int count = std::min(h, static_cast<int>(ir.size()) - begin);
        std::copy_n(ir.begin() + begin, std::max(count, 0), piece.begin());
        return piece;
    }

    const int size;
    const int n;
    const int h;
    const int b;
    const int partitions;

private:
    std::vector<std::vector<float>> frames;
    std::vector<std::vector<float>> results;
    int fill = 0;
    int newestRow = 0;
};

// The peers on FFTW's real transforms of N samples (FFTW_MEASURE): time
// samples in real, the N / 2 + 1 bins in bins.
class FftwOverlapSave : public UniformOverlapSave {
protected:
    FftwOverlapSave(const Matrix& m, int fftSize, int blockSize)
        : UniformOverlapSave(m, fftSize, blockSize), real(fftwf_alloc_real(static_cast<std::size_t>(n))),
          bins(fftwf_alloc_complex(static_cast<std::size_t>(h + 1))),
          forwardPlan(fftwf_plan_dft_r2c_1d(n, real, bins, FFTW_MEASURE)),
          inversePlan(fftwf_plan_dft_c2r_1d(n, bins, real, FFTW_MEASURE))
    {
    }
    ~FftwOverlapSave() override
    {
        fftwf_destroy_plan(forwardPlan);
        fftwf_destroy_plan(inversePlan);
        fftwf_free(bins);
        fftwf_free(real);
    }

    // Every cell's partitions transformed in turn: visit(o, i, p) finds
    // partition p of cell [o][i] in bins.
    template <typename Visit>
    void transformEachPartition(const Matrix& m, Visit visit)
    {
        for (int o = 0; o < size; ++o)
            for (int i = 0; i < size; ++i)
                for (int p = 0; p < partitions; ++p) {
                    const std::vector<float> piece = partitionSamples(m.irs[static_cast<std::size_t>(o) * size + i], p);
                    std::copy(piece.begin(), piece.end(), real);
                    fftwf_execute(forwardPlan);
                    visit(o, i, p);
                }
    }

    float* const real;
    fftwf_complex* const bins;
    const fftwf_plan forwardPlan;
    const fftwf_plan inversePlan;
};

// The engine as it was: our FFT, packed interleaved spectra, every product
// stored by dspMulSpectra and then added by dspAddInPlace, chunk by chunk of a
// row, inputs then outputs then rows outermost.
class TwoPassInterleaved final : public UniformOverlapSave {
public:
    TwoPassInterleaved(const Matrix& m, int fftSize, int blockSize)
        : UniformOverlapSave(m, fftSize, blockSize), history(static_cast<std::size_t>(size) * partitions * n),
          sums(static_cast<std::size_t>(size) * n),
          spectra(m.irs.size(), std::vector<float>(static_cast<std::size_t>(partitions) * n)),
          product(kProductStart + std::min(n, kChunk))
    {
        int order = 0;
        while ((1 << order) < n)
            ++order;
        dspRealFftCreate(&spec, order, dspFftScaleNone, 1);
        int workBytes = 0;
        dspRealFftBufferSize(spec, &workBytes);
        work = dspAllocBytes(workBytes);
        for (std::size_t c = 0; c < m.irs.size(); ++c)
            for (int p = 0; p < partitions; ++p) {
                std::vector<float> piece = partitionSamples(m.irs[c], p);
                dspRealFftForward(piece.data(), spectra[c].data() + std::int64_t{p} * n, spec, work);
            }
    }
    ~TwoPassInterleaved() override
    {
        dspFree(work);
        dspRealFftFree(spec);
    }

private:
    static constexpr int kChunk = 1024;
    static constexpr int kProductStart = 4;

    void forward(int input, const float* frame, int row) override
    {
        dspRealFftForward(frame, history.data() + (std::int64_t{input} * partitions + row) * n, spec, work);
    }

    void multiplyAccumulate(int newestRow) override
    {
        std::fill(sums.begin(), sums.end(), 0.0f);
        float* chunkProduct = product.data() + kProductStart;
        for (int i = 0; i < size; ++i)
            for (int o = 0; o < size; ++o) {
                float* sum = sums.data() + std::int64_t{o} * n;
                for (int row = 0; row < partitions; ++row) {
                    const int p = (row - newestRow + partitions) % partitions;
                    const float* a = history.data() + (std::int64_t{i} * partitions + row) * n;
                    const float* x = spectra[static_cast<std::size_t>(o) * size + i].data() + std::int64_t{p} * n;
                    const int first = std::min(n, kChunk);
                    dspMulSpectra(a, x, chunkProduct, first);
                    dspAddInPlace(chunkProduct, sum, first);
                    for (int k = first; k < n; k += kChunk) {
                        const int count = std::min(kChunk, n - k);
                        dspMulSpectra(a + k - 1, x + k - 1, chunkProduct - 1, count + 1);
                        dspAddInPlace(chunkProduct, sum + k, count);
                    }
                }
            }
    }

    void inverse(int output, float* result) override
    {
        dspRealFftInverse(sums.data() + std::int64_t{output} * n, result, spec, work);
        dspMulConstInPlace(static_cast<float>(1.0 / n), result, n);
    }

    dspRealFftSpec* spec = nullptr;
    void* work = nullptr;
    std::vector<float> history;
    std::vector<float> sums;
    std::vector<std::vector<float>> spectra;  // per cell, P packed spectra
    std::vector<float> product;
};

// The loops over a hop's sums within a chunk of bins, outermost first. The
// cells' spectra lie in the order their loops read them.
enum class SumOrder {
    // A chunk of an input's rows meets every output while it is in cache.
    InputOutputRow,
    // Each input's row is read once per hop, and every output's sums for the
    // chunk stay in the first-level cache.
    RowInputOutput
};

// The strong reference: FFTW's transforms (planned with FFTW_MEASURE), the
// N / 2 + 1 bins split into blocks of four real parts and four imaginary parts,
// chunks of bins outermost, and a plain one-pass loop for the compiler to
// vectorise. The DC and Nyquist bins are ordinary bins with a zero imaginary part.
class FftwSplitOnePass final : public FftwOverlapSave {
public:
    FftwSplitOnePass(const Matrix& m, int fftSize, int blockSize, int chunkBins, SumOrder sumOrder)
        : FftwOverlapSave(m, fftSize, blockSize), order(sumOrder)
    {
        // Chunks of chunkBins bins, then one block for the Nyquist bin.
        for (int first = 0; first < h; first += chunkBins)
            chunks.push_back({first, std::min(chunkBins, h - first), 0});
        chunks.push_back({h, 4, 0});
        std::int64_t offset = 0;
        for (Chunk& chunk : chunks) {
            chunk.offset = offset;
            offset += 2 * chunk.bins;
        }
        splitFloats = offset;
        history.assign(static_cast<std::size_t>(size * partitions * splitFloats), 0.0f);
        sums.assign(static_cast<std::size_t>(size * splitFloats), 0.0f);
        cells.assign(static_cast<std::size_t>(size * size * partitions * splitFloats), 0.0f);
        transformEachPartition(m, [this](int o, int i, int p) {
            for (const Chunk& chunk : chunks)
                scatter(chunk, cellRow(chunk, o, i, p));
        });
    }

private:
    struct Chunk {
        int first;            // bin
        int bins;             // a multiple of 4
        std::int64_t offset;  // of the chunk's first row in a spectrum set
    };

    // Row `row` of chunk c in a set of P spectra: chunks hold their P rows together.
    float* rowOf(float* set, const Chunk& chunk, int row) const
    {
        return set + partitions * chunk.offset + std::int64_t{row} * 2 * chunk.bins;
    }

    // Partition p of cell [o][i] in a chunk: every cell holds the chunk's P
    // rows together, or, rows outermost, the chunk holds row p of every cell
    // together, input by input.
    float* cellRow(const Chunk& chunk, int o, int i, int p)
    {
        if (order == SumOrder::InputOutputRow)
            return rowOf(cells.data() + (std::int64_t{o} * size + i) * partitions * splitFloats, chunk, p);
        return cells.data() + std::int64_t{size} * size * partitions * chunk.offset +
               ((std::int64_t{p} * size + i) * size + o) * 2 * chunk.bins;
    }

    // FFTW's bins of one chunk into row r; bins past N / 2 are zeros.
    void scatter(const Chunk& chunk, float* r) const
    {
        for (int k = 0; k < chunk.bins; ++k) {
            const int bin = chunk.first + k;
            r[8 * (k / 4) + k % 4] = bin <= h ? bins[bin][0] : 0.0f;
            r[8 * (k / 4) + 4 + k % 4] = bin <= h ? bins[bin][1] : 0.0f;
        }
    }

    __attribute__((noinline)) static void sumRows(const float* __restrict x, const float* __restrict y,
                                                  float* __restrict sum, int rowFloats, int rows)
    {
        for (int r = 0; r < rows; ++r, x += rowFloats, y += rowFloats)
            for (int j = 0; j < rowFloats; j += 8)
                for (int l = 0; l < 4; ++l) {
                    const float xr = x[j + l], xi = x[j + 4 + l], yr = y[j + l], yi = y[j + 4 + l];
                    sum[j + l] += xr * yr - xi * yi;
                    sum[j + 4 + l] += xr * yi + xi * yr;
                }
    }

    void forward(int input, const float* frame, int row) override
    {
        std::copy_n(frame, n, real);
        fftwf_execute(forwardPlan);
        for (const Chunk& chunk : chunks)
            scatter(chunk, rowOf(history.data() + std::int64_t{input} * partitions * splitFloats, chunk, row));
    }

    void multiplyAccumulate(int newestRow) override
    {
        std::fill(sums.begin(), sums.end(), 0.0f);
        for (const Chunk& chunk : chunks) {
            if (order == SumOrder::InputOutputRow)
                sumInputsOutputsRows(chunk, newestRow);
            else
                sumRowsInputsOutputs(chunk, newestRow);
        }
    }

    // Partition d meets row newestRow + d: rows newestRow … P − 1 take
    // partitions 0 … P − 1 − newestRow, rows 0 … newestRow − 1 the rest.
    void sumInputsOutputsRows(const Chunk& chunk, int newestRow)
    {
        const int rowFloats = 2 * chunk.bins;
        const int firstRun = partitions - newestRow;
        for (int i = 0; i < size; ++i) {
            float* rows = rowOf(history.data() + std::int64_t{i} * partitions * splitFloats, chunk, 0);
            for (int o = 0; o < size; ++o) {
                const float* cell = cellRow(chunk, o, i, 0);
                float* sum = sums.data() + std::int64_t{o} * splitFloats + chunk.offset;
                sumRows(rows + std::int64_t{newestRow} * rowFloats, cell, sum, rowFloats, firstRun);
                if (newestRow > 0)
                    sumRows(rows, cell + std::int64_t{firstRun} * rowFloats, sum, rowFloats, newestRow);
            }
        }
    }

    void sumRowsInputsOutputs(const Chunk& chunk, int newestRow)
    {
        const int rowFloats = 2 * chunk.bins;
        for (int d = 0; d < partitions; ++d) {
            const int row = (newestRow + d) % partitions;
            for (int i = 0; i < size; ++i) {
                const float* x = rowOf(history.data() + std::int64_t{i} * partitions * splitFloats, chunk, row);
                for (int o = 0; o < size; ++o) {
                    sumRows(x, cellRow(chunk, o, i, d), sums.data() + std::int64_t{o} * splitFloats + chunk.offset,
                            rowFloats, 1);
                }
            }
        }
    }

    void inverse(int output, float* result) override
    {
        const float* sum = sums.data() + std::int64_t{output} * splitFloats;
        for (const Chunk& chunk : chunks)
            for (int k = 0; k < chunk.bins && chunk.first + k <= h; ++k) {
                bins[chunk.first + k][0] = sum[chunk.offset + 8 * (k / 4) + k % 4];
                bins[chunk.first + k][1] = sum[chunk.offset + 8 * (k / 4) + 4 + k % 4];
            }
        fftwf_execute(inversePlan);
        const float scale = 1.0f / static_cast<float>(n);
        for (int t = 0; t < n; ++t)
            result[t] = real[t] * scale;
    }

    const SumOrder order;
    std::vector<Chunk> chunks;
    std::int64_t splitFloats = 0;  // floats of one spectrum
    std::vector<float> history;    // per input, P rows of every chunk
    std::vector<float> sums;       // per output, one row of every chunk
    std::vector<float> cells;      // every cell's P rows of every chunk, as cellRow lays them
};

}  // namespace enginebench
