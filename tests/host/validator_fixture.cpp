#include "tests/host/validator_fixture.h"

#include <algorithm>
#include <cmath>

void ValidatorTest::SetUp()
{
    cells = makeIrMatrix(kChannels, kChannels, kIrFrames);
    const std::string irPath = pathInFolder("ir.wav");
    ASSERT_TRUE(writeWav(irPath, irMultiFile(cells), kRate));
    state = irMultiState(irPath, kChannels, 0.0);
    ASSERT_FALSE(state.empty());
}

void ValidatorTest::makeLoadedEffect(int32_t blockSize, double sampleRate)
{
    loadEffect(sampleRate, blockSize);
    effect->setChunk(state, false);
}

PlanarSamples ValidatorTest::render(const PlanarSamples& input, const std::function<int32_t()>& nextFrames)
{
    const std::size_t length = input[0].size();
    PlanarSamples output(kChannels, std::vector<float>(length, 0.0f));
    std::vector<float> in[kChannels];
    std::vector<float> out[kChannels];
    for (std::size_t done = 0; done < length;) {
        const auto frames = static_cast<std::size_t>(std::min<std::int64_t>(nextFrames(), length - done));
        float* inputs[kChannels];
        float* outputs[kChannels];
        for (int c = 0; c < kChannels; ++c) {
            in[c].assign(input[c].begin() + done, input[c].begin() + done + frames);
            in[c].resize(std::max<std::size_t>(frames, 1));
            out[c].assign(in[c].size(), 0.0f);
            inputs[c] = in[c].data();
            outputs[c] = out[c].data();
        }
        effect->process(inputs, outputs, static_cast<int32_t>(frames));
        for (int c = 0; c < kChannels; ++c)
            std::copy_n(out[c].begin(), frames, output[c].begin() + done);
        done += frames;
    }
    return output;
}

PlanarSamples ValidatorTest::probeSignal(int noiseFrames) const
{
    // Twice the largest FFT of the largest block tested, plus the IR.
    constexpr int kClearing = 2 * 16384 + kIrFrames;
    PlanarSamples input(kChannels);
    for (int c = 0; c < kChannels; ++c) {
        auto& signal = input[c];
        signal.assign(kClearing, 0.0f);
        signal[0] = c == 0 ? 1.0f : 0.0f;
        const std::vector<float> noise = decayingNoise(100 + c, noiseFrames, 0.0);
        signal.insert(signal.end(), noise.begin(), noise.end());
        signal.resize(signal.size() + kClearing, 0.0f);
    }
    return input;
}

int ValidatorTest::delayOf(const PlanarSamples& output)
{
    for (std::size_t t = 0; t < output[0].size(); ++t)
        if (std::abs(output[0][t]) > 1e-6f)
            return static_cast<int>(t);
    return -1;
}

void ValidatorTest::expectDirectConvolution(const PlanarSamples& input, const PlanarSamples& output) const
{
    // cells[0][0][0] is the first sample the impulse shows on output 0.
    ASSERT_GT(std::abs(cells[0][0][0]), 1e-3f);
    const int delay = delayOf(output);
    ASSERT_GE(delay, 0) << "no sound at all";
    const std::size_t frames = output[0].size() - static_cast<std::size_t>(delay);
    for (int o = 0; o < kChannels; ++o) {
        const std::vector<double> reference = directConvolution(input, cells, o, frames);
        double peak = 0.0;
        for (double sample : reference)
            peak = std::max(peak, std::abs(sample));
        double worst = 0.0;
        for (std::size_t t = 0; t < frames; ++t)
            worst = std::max(worst, std::abs(output[o][t + static_cast<std::size_t>(delay)] - reference[t]));
        // Single-precision FFTs up to 16384 points over a few partitions err by
        // well under 1e-6 of the peak; 1e-5 leaves a margin and still catches
        // a sample out of place.
        EXPECT_LT(worst, 1e-5 * peak) << "output " << o << ", delay " << delay;
    }
}
