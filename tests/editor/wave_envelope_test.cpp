#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "editor/wave_envelope.h"
#include "tests/editor/decaying_noise.h"
#include "tests/support/guarded_buffer.h"

namespace {

// The columns by a plain scan: column c covers [c × per, (c + 1) × per) within the shown samples.
std::vector<BRWaveColumn> naiveColumns(const std::vector<float>& samples, int shown, int per, int width)
{
    std::vector<BRWaveColumn> columns;
    for (std::int64_t c = 0; c < width && c * per < shown; ++c) {
        const std::int64_t first = c * per;
        const std::int64_t last = std::min<std::int64_t>(first + per, shown);
        BRWaveColumn column{samples[first], samples[first]};
        for (std::int64_t n = first; n < last; ++n) {
            column.minimum = std::min(column.minimum, samples[n]);
            column.maximum = std::max(column.maximum, samples[n]);
        }
        columns.push_back(column);
    }
    return columns;
}

void expectColumns(const BRWaveEnvelope& envelope, const std::vector<BRWaveColumn>& expected)
{
    ASSERT_EQ(envelope.columns.size(), expected.size());
    for (std::size_t c = 0; c < expected.size(); ++c) {
        ASSERT_EQ(envelope.columns[c].minimum, expected[c].minimum) << "column " << c;
        ASSERT_EQ(envelope.columns[c].maximum, expected[c].maximum) << "column " << c;
    }
}

// The IR lies against a guard page, so a read past its last sample faults.
class GuardedIr {
public:
    explicit GuardedIr(const std::vector<float>& samples) : buffer(samples.size() * sizeof(float))
    {
        std::copy(samples.begin(), samples.end(), buffer.floats());
    }
    const float* data() const { return buffer.floats(); }

private:
    dsptest::GuardedBuffer buffer;
};

class WaveEnvelopeColumns : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(WaveEnvelopeColumns, MatchANaiveScanWithoutReadingPastTheIr)
{
    const auto [length, width] = GetParam();
    const std::vector<float> ir = editortest::decayingNoise(length);
    const GuardedIr cell(ir);
    const BRWaveEnvelope envelope = makeWaveEnvelope(cell.data(), length, length, width);
    const int per = std::max(length / width, 2);
    EXPECT_EQ(envelope.samplesPerColumn, per);
    expectColumns(envelope, naiveColumns(ir, length, per, width));
}

INSTANTIATE_TEST_SUITE_P(, WaveEnvelopeColumns,
                         testing::Combine(testing::Values(1, 2, 300, 1024, 4096, 1 << 21),
                                          testing::Values(13, 285, 575)),
                         [](const testing::TestParamInfo<std::tuple<int, int>>& info) {
                             return "Samples" + std::to_string(std::get<0>(info.param)) + "Width" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST(WaveEnvelope, ColumnsHoldAtLeastTwoSamplesAndStopWhereTheIrEnds)
{
    const std::vector<float> ir = editortest::decayingNoise(1024);
    EXPECT_EQ(makeWaveEnvelope(ir.data(), 1024, 1024, 100).samplesPerColumn, 10);
    EXPECT_EQ(makeWaveEnvelope(ir.data(), 1024, 1024, 100).columns.size(), 100u);
    // Shorter than twice the width: pairs of samples, and columns only as far as they reach.
    const BRWaveEnvelope shortIr = makeWaveEnvelope(ir.data(), 150, 150, 100);
    EXPECT_EQ(shortIr.samplesPerColumn, 2);
    EXPECT_EQ(shortIr.columns.size(), 75u);
}

TEST(WaveEnvelope, ACellHoldingFewerSamplesThanTheIrSizeIsReadOnlyAsFarAsItsSamples)
{
    const std::vector<float> ir = editortest::decayingNoise(300);
    const GuardedIr cell(ir);
    const BRWaveEnvelope envelope = makeWaveEnvelope(cell.data(), 300, 4096, 285);
    EXPECT_EQ(envelope.samplesPerColumn, 14);
    expectColumns(envelope, naiveColumns(ir, 300, 14, 285));
}

}  // namespace
