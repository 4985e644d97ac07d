#pragma once

// The IR matrices, host blocks and prepared engine that the engine's benchmark
// programs share.

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "bench/uniform_overlap_save.h"
#include "engine/partitioned_convolver.h"

namespace enginebench {

constexpr int kRate = 48000;
constexpr int kBlock = 512;
constexpr int kBlocksPerSecond = (kRate + kBlock - 1) / kBlock;

struct Shape {
    const char* name;
    int size;        // inputs = outputs
    double seconds;  // IR length
};

// Decaying noise in every cell.
inline Matrix makeMatrix(const Shape& shape)
{
    Matrix m{shape.size, static_cast<int>(shape.seconds * kRate), {}};
    std::mt19937 random(1);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (int c = 0; c < shape.size * shape.size; ++c) {
        std::vector<float> ir(static_cast<std::size_t>(m.irSamples));
        for (int t = 0; t < m.irSamples; ++t)
            ir[t] = uniform(random) * std::exp(-6.0f * static_cast<float>(t) / static_cast<float>(m.irSamples));
        m.irs.push_back(std::move(ir));
    }
    return m;
}

// Host channels of one block each, refilled with the same noise (at most
// `level`) before every call.
class HostBlocks {
public:
    explicit HostBlocks(int channels, float level = 1.0f)
        : input(kBlock), buffers(static_cast<std::size_t>(channels), std::vector<float>(kBlock))
    {
        std::mt19937 random(2);
        std::uniform_real_distribution<float> uniform(-level, level);
        for (auto& sample : input)
            sample = uniform(random);
        for (auto& buffer : buffers)
            pointers.push_back(buffer.data());
    }
    float* const* refill()
    {
        for (auto& buffer : buffers)
            std::copy(input.begin(), input.end(), buffer.begin());
        return pointers.data();
    }

private:
    std::vector<float> input;
    std::vector<std::vector<float>> buffers;
    std::vector<float*> pointers;
};

// The engine prepared for m at FFT size n and blocks of kBlock, its cells in
// spectra. False when it could not be.
inline bool prepareEngine(const Matrix& m, int n, BRPartitionedConvolver& convolver,
                          std::vector<BRAlignedFloats>& spectra)
{
    if (!convolver.prepare(m.size, m.size, n, kBlock) ||
        !convolver.preparePartitions(static_cast<int>(ceilDiv(m.irSamples, n / 2))))
        return false;
    // Every cell's place first: then each cell writes its slices in place.
    const std::unique_ptr<bool[]> everyCell(new bool[m.irs.size()]);
    std::fill_n(everyCell.get(), m.irs.size(), true);
    if (!convolver.arrangeCells(everyCell.get()))
        return false;
    spectra.resize(m.irs.size());
    for (int o = 0; o < m.size; ++o)
        for (int i = 0; i < m.size; ++i) {
            BRAlignedFloats& cell = spectra[static_cast<std::size_t>(o) * m.size + i];
            const std::vector<float>& ir = m.irs[static_cast<std::size_t>(o) * m.size + i];
            if (!convolver.makeCellSpectra(ir.data(), m.irSamples, m.irSamples, cell))
                return false;
            convolver.setCell(o, i, cell.data());
        }
    return true;
}

}  // namespace enginebench
