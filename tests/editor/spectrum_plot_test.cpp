#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "editor/spectrum_plot.h"
#include "tests/editor/decaying_noise.h"

namespace {

// The editor's zoom view: a 555 × 105 plot.
const BRSpectrumPlot editorPlot(575, 125);

std::vector<juce::Point<float>> vertices(const juce::Path& path)
{
    std::vector<juce::Point<float>> points;
    juce::Path::Iterator it(path);
    while (it.next())
        if (it.elementType == juce::Path::Iterator::startNewSubPath || it.elementType == juce::Path::Iterator::lineTo)
            points.emplace_back(it.x1, it.y1);
    return points;
}

std::shared_ptr<const BRIrSpectrum> spectrumOf(const std::vector<float>& ir, double rate)
{
    const int length = static_cast<int>(ir.size());
    return computeIrSpectrum(ir.data(), length, length, rate);
}

TEST(SpectrumPlot, LevelsFallOnePixelPerDecibelFromTheTopAndSilenceLiesOnTheBottom)
{
    EXPECT_EQ(editorPlot.width(), 555);
    EXPECT_EQ(editorPlot.height(), 105);
    EXPECT_FLOAT_EQ(editorPlot.yOf(1.0f), 10.0f);
    EXPECT_FLOAT_EQ(editorPlot.yOf(0.001f), 70.0f);
    EXPECT_FLOAT_EQ(editorPlot.yOf(10.0f), 30.0f);  // above 0 dB: drawn below the top by its level
    for (float silent :
         {0.0f, -0.0f, -1.0f, 1e-30f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        EXPECT_EQ(editorPlot.yOf(silent), 115.0f) << silent;
}

TEST(SpectrumPlot, FrequenciesRunFrom10HzAtTheLeftEdgeTo22050HzAtTheRight)
{
    EXPECT_NEAR(editorPlot.xOf(10.0), 10.0, 1e-9);
    EXPECT_NEAR(editorPlot.xOf(22050.0), 565.0, 1e-9);
    EXPECT_NEAR(editorPlot.xOf(1000.0), 10.0 + 555.0 * 2.0 / std::log10(2205.0), 1e-9);
}

TEST(SpectrumPlot, TheCurveStartsAtTheLastBinAtOrBelow10Hz)
{
    // 1024 samples: bin 1 lies at 21.5 Hz, so the curve starts at bin 0;
    // 4096 samples: bin 2 lies at 10.8 Hz, so it starts at bin 1.
    for (const auto& [length, start] : {std::pair{1024, 0}, std::pair{4096, 1}}) {
        const auto spectrum = spectrumOf(editortest::decayingNoise(length), 44100.0);
        const auto points = vertices(editorPlot.outline(*spectrum));
        ASSERT_GE(points.size(), 3u);
        EXPECT_EQ(points[0], juce::Point<float>(10.0f, 115.0f));
        EXPECT_EQ(points[1], juce::Point<float>(10.0f, editorPlot.yOf(spectrum->magnitudes.data()[start]))) << length;
    }
}

TEST(SpectrumPlot, SilentAndBrokenIrsDrawAlongTheBottomWithoutNaN)
{
    std::vector<float> broken = editortest::decayingNoise(2048);
    broken[0] = std::numeric_limits<float>::quiet_NaN();
    for (const auto& ir : {std::vector<float>(2048, 0.0f), std::vector<float>(1, 0.0f), broken}) {
        const auto spectrum = spectrumOf(ir, 44100.0);
        ASSERT_NE(spectrum, nullptr);
        const auto points = vertices(editorPlot.outline(*spectrum));
        ASSERT_FALSE(points.empty());
        for (const auto& p : points) {
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << ir.size();
            EXPECT_EQ(p.y, 115.0f) << ir.size();
        }
    }
}

TEST(SpectrumPlot, AtHostRatesAbove44100HzTheCurveEndsAt22050Hz)
{
    const auto spectrum = spectrumOf(editortest::decayingNoise(8192), 96000.0);
    const auto points = vertices(editorPlot.outline(*spectrum));
    ASSERT_GE(points.size(), 3u);
    float rightmost = 0.0f;
    for (const auto& p : points)
        rightmost = std::max(rightmost, p.x);
    EXPECT_LE(rightmost, 565.0f);
    EXPECT_GT(rightmost, 560.0f);
}

TEST(SpectrumPlot, AViewTooSmallForAPlotDrawsNoCurve)
{
    const auto spectrum = spectrumOf(editortest::decayingNoise(1024), 44100.0);
    EXPECT_TRUE(BRSpectrumPlot(20, 125).outline(*spectrum).isEmpty());
    EXPECT_TRUE(BRSpectrumPlot(575, 15).outline(*spectrum).isEmpty());
    EXPECT_TRUE(editorPlot.outline(BRIrSpectrum{}).isEmpty());
}

}  // namespace
