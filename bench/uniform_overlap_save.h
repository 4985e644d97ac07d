#pragma once

// Uniformly partitioned overlap-save convolution of a square IR matrix written
// here, the frame of the engine's peers: frames, hops and output blocks, and
// FFTW's transforms. Calls are blocks of B samples, B dividing the hop.

#include <algorithm>
#include <vector>

#include <fftw3.h>

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

}  // namespace enginebench
