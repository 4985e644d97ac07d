// Audio through Brondil.so in our host, with impulse responses loaded by
// restoring a state as a host restores a saved project.
#include <cmath>
#include <vector>

#include "host/vst/opcodes.h"
#include "tools/vst_host/sound_render.h"
#include "tests/host/plugin_convolution.h"

namespace {

constexpr int kRate = 48000;
constexpr int kInputs = 2;
constexpr int kOutputs = 2;
constexpr int kIrFrames = 1500;  // per cell: three hops of the default FFT size
constexpr int kBlock = 256;
// The default FFT size is 1024: a hop of 512, so the output lags by 512 - 256.
constexpr int kDelay = 1024 / 2 - kBlock;

class PluginRenderTest : public PluginTest {
protected:
    void SetUp() override
    {
        cells = makeIrMatrix(kInputs, kOutputs, kIrFrames);
        irPath = pathInFolder("ir.wav");
        ASSERT_TRUE(writeWav(irPath, irMultiFile(cells), kRate));
        dry = {decayingNoise(1, 6000, 0.0), decayingNoise(2, 6000, 0.0)};
        dryPath = pathInFolder("dry.wav");
        ASSERT_TRUE(writeWav(dryPath, dry, kRate));
    }

    PlanarSamples render(const std::string& name, int64_t tail)
    {
        std::string error;
        const auto source = RenderSource::open(dryPath, error);
        EXPECT_TRUE(source) << error;
        effect->resume();
        EXPECT_TRUE(renderThroughEffect(*effect, *source, pathInFolder(name), tail, error)) << error;
        effect->suspend();
        return readWav(pathInFolder(name));
    }

    IrMatrix cells;
    PlanarSamples dry;
    std::string irPath;
    std::string dryPath;
};

TEST_F(PluginRenderTest, AnIrMultiStateRendersTheDirectConvolutionDelayedByHopLessBlock)
{
    const std::vector<char> state = irMultiState(irPath, kInputs, 0.0);
    loadEffect(kRate, kBlock);
    effect->setChunk(state, false);
    // 6000 frames of input and 2192 of tail: 32 whole blocks.
    const PlanarSamples wet = render("wet.wav", 2192);
    ASSERT_EQ(wet.size(), 2u);
    ASSERT_EQ(wet[0].size(), 8192u);

    for (int o = 0; o < kOutputs; ++o) {
        const std::vector<double> reference = directConvolution(dry, cells, o, wet[0].size() - kDelay);
        double peak = 0.0;
        for (double sample : reference)
            peak = std::max(peak, std::abs(sample));
        ASSERT_GT(peak, 1.0);
        for (int t = 0; t < kDelay; ++t)
            ASSERT_NEAR(wet[static_cast<std::size_t>(o)][static_cast<std::size_t>(t)], 0.0, 1e-6) << "frame " << t;
        double worst = 0.0;
        for (std::size_t t = 0; t < reference.size(); ++t)
            worst = std::max(worst, std::abs(wet[static_cast<std::size_t>(o)][t + kDelay] - reference[t]));
        // Single-precision FFTs of size 1024 summed over 3 partitions and 2
        // inputs err by about 2e-7 of the peak here; 2e-6 leaves a factor of ten.
        EXPECT_LT(worst, 2e-6 * peak) << "output " << o;
    }
}

TEST_F(PluginRenderTest, AChunkRestoresTheWetGainAndTheMatrixInANewEffect)
{
    const std::vector<char> state = irMultiState(irPath, kInputs, -6.0);
    loadEffect(kRate, kBlock);
    effect->setChunk(state, false);
    // -6 dB on the host's 0..1 scale over -90..+90 dB.
    EXPECT_NEAR(effect->parameter(0), 84.0f / 180.0f, 1e-6f);
    EXPECT_EQ(effect->parameterDisplay(0), "-6.00");
    effect->setParameter(0, 0.55f);
    const std::vector<char> saved = effect->chunk(false);
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(effect->chunk(true), saved);
    const PlanarSamples first = render("first.wav", 1024);
    closeEffect();

    loadEffect(kRate, kBlock);
    EXPECT_EQ(effect->parameter(0), 0.5f);
    effect->setChunk(saved, false);
    EXPECT_EQ(effect->parameter(0), 0.55f);
    const PlanarSamples second = render("second.wav", 1024);
    ASSERT_EQ(second, first);
    double energy = 0.0;
    for (float sample : second[1])
        energy += static_cast<double>(sample) * sample;
    EXPECT_GT(energy, 1.0);
}

}  // namespace
