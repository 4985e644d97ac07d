#include "tests/host/plugin_convolution.h"

#include <algorithm>
#include <cmath>
#include <random>

#include <juce_events/juce_events.h>

#include "tools/example/ir_multi_state.h"

std::vector<float> decayingNoise(unsigned seed, int frames, double decayPerFrame)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> samples(static_cast<std::size_t>(frames));
    for (int t = 0; t < frames; ++t)
        samples[static_cast<std::size_t>(t)] = static_cast<float>(uniform(generator) * std::exp(-decayPerFrame * t));
    return samples;
}

IrMatrix makeIrMatrix(int inputs, int outputs, int frames)
{
    IrMatrix cells(static_cast<std::size_t>(outputs),
                   std::vector<std::vector<float>>(static_cast<std::size_t>(inputs)));
    for (int o = 0; o < outputs; ++o)
        for (int i = 0; i < inputs; ++i)
            cells[static_cast<std::size_t>(o)][static_cast<std::size_t>(i)] =
                decayingNoise(static_cast<unsigned>(10 + o * inputs + i), frames, 0.002 * (1 + o + i));
    return cells;
}

PlanarSamples irMultiFile(const IrMatrix& cells)
{
    PlanarSamples file(cells.size());
    for (std::size_t o = 0; o < cells.size(); ++o)
        for (const auto& cell : cells[o])
            file[o].insert(file[o].end(), cell.begin(), cell.end());
    return file;
}

std::vector<double> directConvolution(const PlanarSamples& dry, const IrMatrix& cells, int output, std::size_t frames)
{
    std::vector<double> wet(frames, 0.0);
    const auto& row = cells[static_cast<std::size_t>(output)];
    // Each input sample spreads its response over the output: silence costs nothing.
    for (std::size_t i = 0; i < row.size(); ++i) {
        const auto& x = dry[i];
        const auto& h = row[i];
        for (std::size_t s = 0; s < x.size() && s < frames; ++s) {
            if (x[s] == 0.0f)
                continue;
            const std::size_t taps = std::min(h.size(), frames - s);
            for (std::size_t k = 0; k < taps; ++k)
                wet[s + k] += static_cast<double>(h[k]) * x[s];
        }
    }
    return wet;
}

std::vector<char> irMultiState(const std::string& irPath, int inputs, double wetGainDb)
{
    const juce::ScopedJuceInitialiser_GUI toolkit;
    juce::MemoryBlock state;
    juce::String error;
    EXPECT_TRUE(makeIrMultiState(juce::File(irPath), inputs, wetGainDb, state, error)) << error;
    const char* bytes = static_cast<const char*>(state.getData());
    return std::vector<char>(bytes, bytes + state.getSize());
}
